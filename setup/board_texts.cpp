#include "setup/board_texts.h"

const BoardClientTexts& boardTexts(const std::string& code) {
    const Language* language = languageCoded(code);
    return (language != nullptr ? *language : kLanguages[0]).boardClient;
}

const BoardClientTexts& boardTextsOf(const std::string& localeName) { return languageOf(localeName).boardClient; }

std::string filledIn(const char* text, const std::string& value) {
    std::string filled = text;
    const std::size_t at = filled.find("{}");
    if (at != std::string::npos) filled.replace(at, 2, value);
    return filled;
}

std::string clockText(std::time_t moment) {
    char text[8] = "";
    if (const std::tm* local = std::localtime(&moment)) std::strftime(text, sizeof text, "%H:%M", local);
    return text;
}

std::string sendingLine(const SetupTexts& setup, const BoardClientTexts& texts, RoundSending* sending) {
    SendingTally& tally = sending->tally;
    std::string line;
    const auto add = [&line](const std::string& sentence) { line += (line.empty() ? "" : " ") + sentence; };
    if (tally.kept > 0) {
        std::string sent = filledIn(texts.sent, bubblesText(setup, tally.lastScore));
        if (tally.kept > 1) sent.insert(sent.size() - 1, filledIn(texts.sentMore, std::to_string(tally.kept - 1)));
        add(sent);
    }
    if (tally.nameTaken)
        add(texts.nameTaken);
    else if (tally.late)
        add(filledIn(texts.late, clockText(tally.lateLeft)));
    else if (tally.refused > 0)
        add(filledIn(texts.refused, tally.refusal));
    if (tally.unanswered && !sending->toldUnanswered) {
        add(filledIn(texts.unanswered, tally.unsettled));
        sending->toldUnanswered = true;
    }
    if (tally.dropped > 0) add(filledIn(texts.dropped, std::to_string(tally.dropped)));
    tally = SendingTally();
    return line;
}

ShownDay shownDay(const SetupTexts& setup, const BoardClientTexts& texts, const std::string& date, const DayRounds& day) {
    ShownDay shown;
    shown.heading = filledIn(texts.topTen, dayText(setup, date));
    if (!day.read) {
        shown.line = filledIn(texts.noList, day.trouble);
        return shown;
    }
    for (const ShownRound& round : day.rounds)
        shown.rows.push_back({static_cast<int>(shown.rows.size()) + 1, round.name, bubblesText(setup, round.bubbles), round.id});
    if (shown.rows.empty()) shown.line = texts.nobody;
    return shown;
}
