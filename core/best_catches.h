#pragma once
// The best catch for each number of bottles, kept between runs: the most
// bubbles a round with that many bottles has caught, and the day it did. The
// table is a small text, kept in a file on the desktop (core/saved_file.h)
// and in the page's storage in the browser:
//
//   korvada best catches
//   4 23 2026-12-09
//   12 7 2026-12-10
//
// a line per number of bottles played, in rising order. The first line marks
// the text as the game's own: anything else is no table of ours. No
// platform header here; each program hands over where the table is kept.

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

#include "core/saved_file.h"
#include "core/settings.h"

struct Game;

struct BestCatch {
    bool kept = false;    // a round with this many bottles has been played
    int32_t bubbles = 0;  // the most it caught, 0 to kRoundBubbles
    std::string date;     // the day of that round, "2026-12-09"
};

// By the number of bottles, 1 to kMaxBottles; [0] stays unkept.
using BestCatches = std::array<BestCatch, kMaxBottles + 1>;

// A table's text is never longer than this; a larger file is not ours.
constexpr std::size_t kLongestBestCatches = 4096;

std::string bestCatchesText(const BestCatches& table);

// The table a text holds; false, with an empty table, for a text that is not
// exactly what bestCatchesText writes (any line out of place, order or range).
bool readBestCatches(const std::string& text, BestCatches* table);

// A round with `bottles` bottles caught `bubbles`: kept with its date when it
// beats the best so far, or is the first with that many bottles. Returns
// whether it was kept.
bool keepBestCatch(BestCatches* table, int bottles, int bubbles, const std::string& date);

// The local date of a moment, "2026-12-09".
std::string dateOf(std::time_t moment);

// --- The table in a file -----------------------------------------------------------

struct StoredCatches {
    BestCatches table;   // empty when there is none, or none of ours
    std::string trouble; // why a file that is there was not read as a table, or ""
};

// A missing file is an empty table; an unreadable, damaged or foreign one too,
// with the reason in `trouble`: it is replaced at the next record.
StoredCatches readBestCatchesFile(const std::filesystem::path& file);

// Where a program keeps the table, and how its system flushes a file. Once
// the round is over, its catch is offered to the table once.
struct CatchStore {
    std::filesystem::path file;  // empty: no place to keep it, nothing is kept
    FlushFile flush = nullptr;
    bool offered = false;        // this round's catch has been offered
};

// Called after every frame: the first time it finds the round over, the
// player's catch goes into the table when it beats the best for the round's
// number of bottles (replaceFile: a crash or a full disk leaves the old
// table). Returns what to tell on stderr, one line: a file that was not a
// table, a table that could not be written; or "".
std::string keepRoundsCatch(const Game& game, CatchStore* store);
