#pragma once
// The best catches for each number of bottles, kept between runs: the ten
// best rounds played with that many bottles (the bubbles each caught, its
// day and its player's name), and the best of today's round on each of the
// latest days. The table is a small text, kept in a file on the desktop
// (core/saved_file.h) and in the page's storage in the browser
// (docs/best-catches-format.md):
//
//   korvada best catches
//   4 23 2026-12-09
//   4 20 2026-12-10 1 Jana
//   12 7 2026-12-10
//   day 2026-12-10 18 Jana
//
// Each row's recording is kept beside the table under its round's name
// (roundName). The first line marks the text as the game's own. Here is
// also the one place that decides when a round's catch goes into the
// table; each program hands over only where the table is kept and how it
// reads and writes it there. No platform header here.

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "core/saved_file.h"
#include "core/settings.h"

struct Game;
struct RoundDriver;

// A row of the table: one round and what it caught.
struct BestCatch {
    bool kept = false;    // a round is in this row
    int32_t bubbles = 0;  // what it caught, 0 to kRoundBubbles
    std::string date;     // the day of that round, "2026-12-09" (a day's row: today's round's UTC day)
    std::string name;     // its player's (core/player_name.h), or ""
    int32_t round = 0;    // which of its count's recordings is its own (roundName); 0 to kKeptRounds - 1
};

// Rounds kept for each number of bottles, and days today's round is kept for.
constexpr int kKeptRounds = 10;
constexpr int kKeptDays = 30;

struct BestCatches {
    // By the number of bottles, 1 to kMaxBottles ([0] stays empty): the best
    // first, of two equal the earlier day, and of two of a day the one kept
    // first; at most kKeptRounds.
    std::array<std::vector<BestCatch>, kMaxBottles + 1> rows;
    // Today's round's best of each day, in rising order of days.
    std::vector<BestCatch> days;
    // The best for `bottles`, or an unkept row.
    const BestCatch& operator[](int bottles) const;
};

// The best of today's round on `day` (days since 1970, UTC, as
// core/daily_round.h counts them), or an unkept row.
BestCatch dayBest(const BestCatches& table, uint32_t day);

// A table's text is never longer than this: what lies past it is not read.
// Sixty-four counts of ten rows with the longest names, and the days, fit.
constexpr std::size_t kLongestBestCatches = 131072;

std::string bestCatchesText(const BestCatches& table);

// What a text holds: every row that can be read, whatever the line ends
// (CRLF from a Windows editor), blanks around the words, blank lines, a
// missing last line end or the rows' order. Two rows of one recording (a
// number of bottles and its round, or a day) leave the better one (more
// bubbles; of two equal, the earlier); rows past a count's ten best are
// passed over. A day's row is never dropped here: only keepCatch prunes.
struct ReadCatches {
    BestCatches table;
    std::vector<std::string> skipped;  // each line passed over: "line 3 \"4 99 2026-12-09\""
};
ReadCatches readBestCatches(const std::string& text);

// The skipped lines in one short phrase for a message, the first few named.
std::string skippedLines(const std::vector<std::string>& skipped);

// Whether a text is a real calendar day written as "2026-12-09".
bool isDate(const std::string& date);

// A round with `bottles` bottles caught `bubbles`: kept among its count's
// ten when it beats one of them or there are fewer, taking the round of the
// row it pushes out or the lowest one free. Returns its place, 0 the best,
// or -1 when it is not kept; *row gets the row.
int keepRow(BestCatches* table, int bottles, int bubbles, const std::string& date,
            const std::string& name = std::string(), BestCatch* row = nullptr);

// keepRow, and whether the round became the best.
bool keepBestCatch(BestCatches* table, int bottles, int bubbles, const std::string& date);

// Today's round of `date` caught `bubbles`: the day's row when it beats the
// day's best or is the first that day. Then days more than kKeptDays - 1
// before the newest day kept go, their dates into *pruned. Returns whether
// the round became the day's best.
bool keepDayBest(BestCatches* table, const std::string& date, int bubbles, const std::string& name,
                 std::vector<std::string>* pruned);

// The name a row's recording is kept under: "4" for the first round of 4
// bottles, "4-3" for its fourth, "day-2026-12-09" for a day's best.
std::string roundName(int bottles, int round);
std::string dayRoundName(const std::string& date);

// The local date of a moment, "2026-12-09"; "" when the system cannot tell.
std::string dateOf(std::time_t moment);

// --- Where a program keeps its table -----------------------------------------

// The platform's own way to the table, handed over at start: each function
// gets `place` back. A change is begin, then read, then keepAside and write
// as needed, then end; begin keeps other programs of ours from changing the
// table until end, so that what one kept a moment before is in what the
// next writes.
struct CatchStore {
    void* place = nullptr;
    std::string where;  // for messages: the file, or the page's storage
    // The text kept now: Read, or Missing, Unreadable, TooLarge (its first
    // kLongestBestCatches bytes) as for a file.
    SmallFile (*read)(void* place, std::string* text) = nullptr;
    bool (*begin)(void* place, std::string* error) = nullptr;
    // The damaged text kept now, put beside the table for the player before
    // the table replaces it; *said names where, or why it could not.
    bool (*keepAside)(void* place, std::string* said) = nullptr;
    // The new text in place of the old in one step.
    bool (*write)(void* place, const std::string& text, std::string* error) = nullptr;
    void (*end)(void* place) = nullptr;
    // The recording of a row's round (core/recording.h's file) kept beside
    // the table under its name (roundName) in one step; empty `bytes` take
    // away the one kept. A recording that cannot be kept takes the old one
    // away too: it is another round's. None where null.
    bool (*keepRound)(void* place, const std::string& round, const std::string& bytes, std::string* error) = nullptr;
};

// The table in a file (the desktop's), `file` kept for the store's life;
// a damaged file is kept beside it as "<name>.damaged", and the best
// rounds' recordings as bestRoundFile names them.
CatchStore catchStoreIn(FileChange* file);

// The recording of a row's round beside the table kept in `catchesFile`:
// "best-round-4.kvr" for the first of 4 bottles, "best-round-4-3.kvr",
// "best-round-day-2026-12-09.kvr".
std::filesystem::path roundFile(const std::filesystem::path& catchesFile, const std::string& round);
std::filesystem::path bestRoundFile(const std::filesystem::path& catchesFile, int bottles, int round = 0);
std::filesystem::path dayRoundFile(const std::filesystem::path& catchesFile, const std::string& date);

// The table as a store holds it now, and why not all of it was read ("" when
// it was): for the dialogs and the page's form, which only read.
struct StoredCatches {
    BestCatches table;
    std::string trouble;
};
StoredCatches readStoredCatches(const CatchStore& store);

// A round's catch as the table takes it.
struct CaughtRound {
    int bottles = 0;
    int bubbles = 0;
    std::string date;   // the local day it was played on
    std::string name;   // the player's, or ""
    bool daily = false; // today's round, of `day`
    uint32_t day = 0;
    std::string round;  // the recording's bytes; empty: the round is not complete
};

// A catch into the table as it is kept at this moment: under the store's
// lock, merged with what is there, written when it takes a row (or when
// the kept text was damaged: the readable rows in place of it, the damaged
// text kept aside). A table that cannot be read, or whose damaged text
// cannot be kept aside, is left as it is. Each row the round took keeps its
// recording under the same lock (none when the round is not complete: the
// recording of the row it replaced goes), and a pruned day's goes. Returns
// what to tell the player, one line, or "". *newBest, when asked, tells
// whether the round took the first row of its count.
std::string keepCatch(const CatchStore& store, const CaughtRound& caught, bool* newBest = nullptr);
std::string keepCatch(const CatchStore& store, int bottles, int bubbles, const std::string& date,
                      const std::string& round = std::string());

// The round's catch, offered to the table once the round is over.
struct CatchKeeper {
    CatchStore store;        // no read function: nothing is kept
    bool offered = false;    // this round's catch has been offered
    bool newBest = false;    // and the table took it as a new best
};

// Called after every frame with the moment it is: the first time it finds
// the round over, the player's catch goes into the table with that
// moment's day, and its recording with it (keepCatch), the driver's
// (core/round_driver.h). A round played back from a recording offers
// nothing: its catch is not the viewer's. Returns what to tell the player
// once, or "".
std::string offerRoundsCatch(const Game& game, RoundDriver& driver, CatchKeeper* keeper, std::time_t now);
