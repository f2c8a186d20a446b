// Feeds arbitrary bytes to what the board reads of a request: the first
// byte chooses the part, the rest is its input.
//   0  a round's body: read, and when it reads, played; a refusal is one line
//   1  a player's name: checked, and shown escaped in the day's page and JSON
//   2  a day in an address: a date read back writes the same text
//   3  an Accept-Language header
//   4  a ticket or a secret: no ticket of a key made here reads unless made with it
// AddressSanitizer and UndefinedBehaviorSanitizer watch every part.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

#include "board/board_pages.h"
#include "board/board_rules.h"
#include "board/round_reading.h"
#include "fuzz/fuzz_input.h"

namespace {

bool oneLine(const std::string& text) { return !text.empty() && text.find('\n') == std::string::npos; }

void body(const std::string& bytes) {
    SubmittedRound round;
    std::string trouble;
    if (!readSubmittedRound(bytes, &round, &trouble)) {
        check(oneLine(trouble));
        return;
    }
    // Long rounds of many bottles take the same paths as short ones, only slower.
    if (round.recording.frameSeconds.size() > 4000 || round.recording.bottles > 16) return;
    playSubmittedRound(&round);
    const CheckedRound& checked = round.checked;
    check(checked.played == checked.trouble.empty());
    check(checked.played || oneLine(checked.trouble));
    check(checked.frames <= static_cast<int32_t>(round.recording.frameSeconds.size()));
    check(checked.score >= 0 && checked.score <= round.recording.bubbles);
}

void name(const std::string& text) {
    std::string why;
    if (!checkSubmittedName(text, &why)) check(oneLine(why));
    const std::string escaped = escapeHtml(text);
    check(escaped.find_first_of("<>\"'") == std::string::npos);
    const std::string page = dayPage(languageOf("en"), 20797, 20797, {{"AAAAAAAAAAAAAAAA", text, 1, 0}});
    check(page.find(escaped) != std::string::npos);
    const nlohmann::json parsed = nlohmann::json::parse(dayJson(20797, {{"AAAAAAAAAAAAAAAA", text, 1, 0}}));
    check(parsed["rounds"].size() == 1);
}

void day(const std::string& text) {
    uint32_t parsed = 0;
    if (readDay(text, &parsed)) check(dayText(parsed) == text);
}

void token(const std::string& text) {
    static const std::string key = randomToken(32);
    int64_t issued = 0;
    check(!readTicket(key, text, &issued));
    check(readTicket(key, makeTicket(key, static_cast<int64_t>(text.size())), &issued) &&
          issued == static_cast<int64_t>(text.size()));
    if (wellFormedSecret(text)) check(text.size() == 43);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 5) {
        case 0: body(input); break;
        case 1: name(input); break;
        case 2: day(input); break;
        case 3: pageLanguage(input); break;
        case 4: token(input); break;
    }
    return 0;
}
