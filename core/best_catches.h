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
// the text as the game's own. Here is also the one place that decides when
// a round's catch goes into the table; each program hands over only where
// the table is kept and how it reads and writes it there. No platform
// header here.

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

struct BestCatch {
    bool kept = false;    // a round with this many bottles has been played
    int32_t bubbles = 0;  // the most it caught, 0 to kRoundBubbles
    std::string date;     // the day of that round, "2026-12-09"
};

// By the number of bottles, 1 to kMaxBottles; [0] stays unkept.
using BestCatches = std::array<BestCatch, kMaxBottles + 1>;

// A table's text is never longer than this: what lies past it is not read.
constexpr std::size_t kLongestBestCatches = 4096;

std::string bestCatchesText(const BestCatches& table);

// What a text holds: every row that can be read, whatever the line ends
// (CRLF from a Windows editor), blanks around the words, blank lines, a
// missing last line end or the rows' order. A second row for a number of
// bottles leaves the better one (more bubbles; of two equal, the earlier).
struct ReadCatches {
    BestCatches table;
    std::vector<std::string> skipped;  // each line passed over: "line 3 \"4 99 2026-12-09\""
};
ReadCatches readBestCatches(const std::string& text);

// The skipped lines in one short phrase for a message, the first few named.
std::string skippedLines(const std::vector<std::string>& skipped);

// Whether a text is a real calendar day written as "2026-12-09".
bool isDate(const std::string& date);

// A round with `bottles` bottles caught `bubbles`: kept with its date when it
// beats the best so far, or is the first with that many bottles. Returns
// whether it was kept.
bool keepBestCatch(BestCatches* table, int bottles, int bubbles, const std::string& date);

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
    // The recording of the round whose catch is the best for `bottles`
    // (core/recording.h's file), kept beside the table in one step; empty
    // `bytes` take away the one kept. A recording that cannot be kept
    // takes the old one away too: it is another round's. None where null.
    bool (*keepRound)(void* place, int bottles, const std::string& bytes, std::string* error) = nullptr;
};

// The table in a file (the desktop's), `file` kept for the store's life;
// a damaged file is kept beside it as "<name>.damaged", and the best
// rounds' recordings as bestRoundFile names them.
CatchStore catchStoreIn(FileChange* file);

// The recording of the best round with `bottles` bottles, beside the table
// kept in `catchesFile`: "best-round-4.kvr".
std::filesystem::path bestRoundFile(const std::filesystem::path& catchesFile, int bottles);

// The table as a store holds it now, and why not all of it was read ("" when
// it was): for the dialogs and the page's form, which only read.
struct StoredCatches {
    BestCatches table;
    std::string trouble;
};
StoredCatches readStoredCatches(const CatchStore& store);

// A catch into the table as it is kept at this moment: under the store's
// lock, merged with what is there, written when it is a new best (or when
// the kept text was damaged: the readable rows in place of it, the damaged
// text kept aside). A table that cannot be read, or whose damaged text
// cannot be kept aside, is left as it is. A new best the table took keeps
// `round`, the recording's bytes, under the same lock (empty: the round is
// not complete, and the last best's recording goes). Returns what to tell
// the player, one line, or "".
std::string keepCatch(const CatchStore& store, int bottles, int bubbles, const std::string& date,
                      const std::string& round = std::string());

// The round's catch, offered to the table once the round is over.
struct CatchKeeper {
    CatchStore store;        // no read function: nothing is kept
    bool offered = false;    // this round's catch has been offered
};

// Called after every frame with the moment it is: the first time it finds
// the round over, the player's catch goes into the table with that
// moment's day, and its recording with it (keepCatch), the driver's
// (core/round_driver.h). A round played back from a recording offers
// nothing: its catch is not the viewer's. Returns what to tell the player
// once, or "".
std::string offerRoundsCatch(const Game& game, RoundDriver& driver, CatchKeeper* keeper, std::time_t now);
