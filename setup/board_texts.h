#pragma once
// What the settings programs say about a board, in each language of the
// setup's texts: the address's label, the day's best rounds, and the one
// line that tells what became of the rounds sent (setup/waiting_rounds.h).
// "{}" in a text stands for the one value it is said with. UTF-8; a '_'
// marks a mnemonic as in the setup's texts.

#include <ctime>
#include <string>
#include <vector>

#include "setup/setup_texts.h"
#include "setup/waiting_rounds.h"

struct BoardTexts {
    const char* code;           // the language's ISO 639-1 code, as the setup's table names it
    const char* address;        // the address field's label
    const char* addressHint;    // shown in the empty field: the board is off
    const char* badAddress;     // {} why
    const char* topTen;         // the day's list's heading, {} the day as the setup writes it
    const char* nobody;         // nobody on the day's list yet
    const char* noList;         // {} why the list cannot be shown
    const char* watch;          // the button beside a round of the list
    const char* asking;         // while a ticket is asked for
    const char* noTicket;       // {} why: the round plays, but cannot go to the board
    const char* sent;           // {} the bubbles the board counted
    const char* sentMore;       // {} how many more rounds were kept with it
    const char* refused;        // {} the board's reason
    const char* late;           // {} when the round was left: the board's clock rule refused it
    const char* nameTaken;      // {} the name
    const char* unanswered;     // {} why: the round waits for the next start
    const char* dropped;        // {} how many waiting rounds went unsent
    const char* downloading;    // while a round to watch comes
    const char* cannotWatch;    // {} why a listed round cannot be watched
};

// The texts of the language whose code the setup's texts chose ("cs"); the
// English ones for a code no entry has.
const BoardTexts& boardTexts(const std::string& code);

// The texts of the language the setup's texts choose for a locale name or
// a browser's language tag (languageOf).
const BoardTexts& boardTextsOf(const std::string& localeName);

// `text` with its "{}" replaced by `value`.
std::string filledIn(const char* text, const std::string& value);

// The line after a pass of sending, or "" when it did nothing worth saying;
// a board that does not answer is said once a run (until one answers
// again). Clears the tally.
std::string sendingLine(const SetupTexts& setup, const BoardTexts& texts, RoundSending* sending);

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
ShownDay shownDay(const SetupTexts& setup, const BoardTexts& texts, const std::string& date, const DayRounds& day);

// "14:03", the local time of a moment.
std::string clockText(std::time_t moment);
