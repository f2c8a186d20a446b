#include "core/player_name.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

enum NameClass : uint8_t { NameLetter, NameMark, NameNumber, NameOther };

struct NameRange {
    uint32_t first, last;
    NameClass kind;
};

#include "core/unicode_classes.inc"

NameClass classOf(uint32_t code) {
    const NameRange* end = std::end(kNameRanges);
    const NameRange* range =
        std::upper_bound(std::begin(kNameRanges), end, code, [](uint32_t c, const NameRange& r) { return c < r.first; });
    if (range == std::begin(kNameRanges)) return NameOther;
    --range;
    return code <= range->last ? range->kind : NameOther;
}

// The next code point of well-formed UTF-8 at `at`, moving past it; false
// for anything else (a stray or missing continuation byte, an overlong
// form, a surrogate, past U+10FFFF).
bool nextCodePoint(const std::string& text, std::size_t* at, uint32_t* code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(*at);
    int more = 0;
    uint32_t value = 0, least = 0;
    if (lead < 0x80) {
        value = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1, value = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2, value = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3, value = lead & 0x07u, least = 0x10000;
    } else {
        return false;
    }
    if (*at + static_cast<std::size_t>(more) >= text.size()) return false;  // cut short
    for (int i = 1; i <= more; ++i) {
        if ((byte(*at + i) & 0xC0u) != 0x80u) return false;
        value = value << 6 | (byte(*at + i) & 0x3Fu);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    *at += static_cast<std::size_t>(more) + 1;
    *code = value;
    return true;
}

bool refuse(std::string* why, const std::string& text) {
    if (why != nullptr) *why = text;
    return false;
}

}  // namespace

const char* const kRefusedNameMessage = "Jméno hráče nelze použít!";

bool checkPlayerName(const std::string& utf8, std::string* why) {
    if (utf8.empty()) return refuse(why, "a name has at least one character");
    if (utf8.size() > static_cast<std::size_t>(kLongestPlayerNameBytes))
        return refuse(why, "a name has at most " + std::to_string(kLongestPlayerName) + " characters");
    int count = 0;
    NameClass last = NameOther;
    uint32_t previous = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        uint32_t code = 0;
        if (!nextCodePoint(utf8, &at, &code)) return refuse(why, "a name is UTF-8 text");
        ++count;
        const NameClass kind = classOf(code);
        if (code == ' ') {
            if (count == 1) return refuse(why, "a name does not begin with a space");
            if (previous == ' ') return refuse(why, "a name has no two spaces in a row");
        } else if (kind == NameMark) {
            if (last != NameLetter && last != NameMark) return refuse(why, "a mark in a name follows a letter");
        } else if (kind == NameOther && code != '-' && code != '_') {
            return refuse(why, "a name holds letters, digits, spaces, '-' and '_' only");
        }
        last = code == ' ' || code == '-' || code == '_' ? NameOther : kind;
        previous = code;
    }
    if (count > kLongestPlayerName)
        return refuse(why, "a name has at most " + std::to_string(kLongestPlayerName) + " characters");
    if (previous == ' ') return refuse(why, "a name does not end with a space");
    return true;
}

const char* playerNameUnicodeVersion() { return kNameUnicodeVersion; }
