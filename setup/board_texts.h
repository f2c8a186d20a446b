#pragma once
// What the settings programs say about a board: the address's label, the
// day's best rounds, and the one line that tells what became of the rounds
// sent (setup/waiting_rounds.h). The words are each language's entry of the
// languages' table (setup/setup_texts.h, BoardClientTexts).

#include <ctime>
#include <string>
#include <vector>

#include "setup/setup_texts.h"
#include "setup/waiting_rounds.h"

// The texts of the language whose code the setup's texts chose ("cs"); the
// table's first for a code no entry has.
const BoardClientTexts& boardTexts(const std::string& code);

// The texts of the language the setup's texts choose for a locale name or
// a browser's language tag (languageOf).
const BoardClientTexts& boardTextsOf(const std::string& localeName);

// `text` with its "{}" replaced by `value`.
std::string filledIn(const char* text, const std::string& value);

// The line after a pass of sending, or "" when it did nothing worth saying;
// a board that does not answer is said once a run (until one answers
// again). Clears the tally.
std::string sendingLine(const SetupTexts& setup, const BoardClientTexts& texts, RoundSending* sending);

// The day's best rounds (of `date`, "2026-12-10") as the dialogs and the
// form show them: a heading,
// then a row for each (its place on the board, the name, the bubbles in
// words, the id its Watch fetches), or one line in their place (nobody
// yet, or why the list cannot be shown).
struct ShownRow {
    int place = 0;
    std::string name;
    std::string bubbles;
    std::string id;
};
struct ShownDay {
    std::string heading;
    std::vector<ShownRow> rows;
    std::string line;
};
ShownDay shownDay(const SetupTexts& setup, const BoardClientTexts& texts, const std::string& date, const DayRounds& day);

// "14:03", the local time of a moment.
std::string clockText(std::time_t moment);
