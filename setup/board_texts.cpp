#include "setup/board_texts.h"

namespace {
const BoardTexts kCzech = {
    "cs",
    "_Tabulka výsledků:",
    "adresa, např. http://192.168.1.5:8080 (prázdné: vypnuto)",
    "Adresu tabulky nelze použít: {}",
    "Dnes v tabulce ({})",
    "Dnešní kolo zatím nikdo neposlal.",
    "Tabulku nelze ukázat: {}",
    "Přehrát",
    "Žádám tabulku o lístek…",
    "Tabulka nedala lístek ({}): kolo se hraje, ale do tabulky nepůjde.",
    "Odesláno do tabulky: {}.",
    " (a {} další)",
    "Tabulka kolo odmítla: {}",
    "Tabulka odmítla kolo, které čekalo od {}: bere jen kolo poslané hned po dohrání.",
    "Tabulka kolo odmítla: vaše jméno tam patří jinému hráči. Zvolte jiné.",
    "Tabulka neodpovídá ({}): kolo počká a odejde při příštím spuštění.",
    "Smazaná neodeslaná kola (příliš mnoho čekajících nebo poškozená): {}.",
    "Stahuji kolo…",
    "Kolo nelze přehrát: {}",
};

const BoardTexts kEnglish = {
    "en",
    "_Board:",
    "address, e.g. http://192.168.1.5:8080 (empty: off)",
    "The board's address cannot be used: {}",
    "Today on the board ({})",
    "Nobody has sent today's round yet.",
    "The board cannot be shown: {}",
    "Watch",
    "Asking the board for a ticket…",
    "The board gave no ticket ({}): the round plays, but cannot go to the board.",
    "Sent to the board: {}.",
    " (and {} more)",
    "The board refused the round: {}",
    "The board refused the round kept back since {}: it takes a round only when it comes right after it is played.",
    "The board refused the round: your name belongs to another player there. Choose another.",
    "The board does not answer ({}): the round waits and goes with the next start.",
    "Rounds removed unsent (too many waiting, or damaged): {}.",
    "Downloading the round…",
    "The round cannot be watched: {}",
};
}  // namespace

const BoardTexts& boardTexts(const std::string& code) { return code == kCzech.code ? kCzech : kEnglish; }

const BoardTexts& boardTextsOf(const std::string& localeName) {
    return languageOf(localeName) == Language::Czech ? kCzech : kEnglish;
}

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

std::string sendingLine(const SetupTexts& setup, const BoardTexts& texts, RoundSending* sending) {
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

ShownDay shownDay(const SetupTexts& setup, const BoardTexts& texts, const std::string& date, const DayRounds& day) {
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
