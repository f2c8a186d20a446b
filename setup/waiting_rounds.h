#pragma once
// Rounds of today's on their way to a board. The game never talks to the
// network: at a round's end it leaves the round's recording, when it is a
// complete round of today's with a board's ticket, in a waiting place
// beside its best catches (a folder on the desktop, the page's storage in
// the browser), and the settings program sends what waits there, in the
// background, when it starts, while a game it started runs (a round goes
// the moment it ends: the board's clock rule counts the time until it
// arrives) and when the game ends. Each round the board settled (kept, or
// refused for good) goes from the place; a round the board did not settle
// waits for the next time. No platform header here.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/saved_file.h"
#include "setup/board_client.h"
#include "setup/launch_settings.h"

// The most rounds that wait: past them the ones that waited longest go, a
// board that stays away for weeks costs a few megabytes at most.
constexpr std::size_t kMostWaitingRounds = 16;

// Beside the best catches' table (`catchesFile`): "waiting-rounds".
std::filesystem::path waitingFolder(const std::filesystem::path& catchesFile);

// The name a round waits under: the moment it was left (seconds since 1970,
// twelve digits, so that names sort as the rounds came) and the recording's
// checksum (its last four bytes, in hex): "001765371802-1a2b3c4d.kvr".
std::string waitingName(std::time_t left, const std::string& recording);

// Whether a name is one waitingName makes, and the moment in it.
bool readWaitingName(const std::string& name, std::time_t* left);

// Where rounds wait, as the platform keeps them; each function gets
// `place` back.
struct WaitingStore {
    void* place = nullptr;
    std::string where;  // for messages: the folder, or the page's storage
    // The names waitingName made that are kept now, in any order.
    std::vector<std::string> (*names)(void* place) = nullptr;
    // A round's bytes: Read, or Missing, Unreadable, TooLarge (past `limit`).
    SmallFile (*read)(void* place, const std::string& name, std::size_t limit, std::string* bytes) = nullptr;
    // In one step: a reader sees the whole round or none.
    bool (*keep)(void* place, const std::string& name, const std::string& bytes, std::string* error) = nullptr;
    void (*remove)(void* place, const std::string& name) = nullptr;
};

// A folder of the desktop's, `folder` kept for the store's life: each round
// a file, written as replaceFile writes (core/saved_file.h).
struct WaitingFolder {
    std::filesystem::path folder;
    DiskSteps disk;
};
WaitingStore waitingStoreIn(WaitingFolder* folder);

// A round left to wait at `now`; "" or why not, one line for stderr.
std::string leaveWaiting(const WaitingStore& store, const std::string& recording, std::time_t now);

// --- The game's side: a round of today's left at its end --------------------------

struct Game;
struct RoundDriver;

// A round's recording, offered to the waiting place once the round is over.
struct WaitingKeeper {
    WaitingStore store;     // no keep function: nothing waits (the tools)
    bool offered = false;   // this round's has been offered
};

// Called after every frame, as offerRoundsCatch is (core/best_catches.h),
// with the moment it is: the first time it finds the round over, a round
// of today's that is recorded whole (core/round_driver.h) and carries a
// board's ticket is left to wait; anything else (a free round, one without
// a ticket, one watched, one past the recording's bounds) leaves nothing.
// Returns what to tell on stderr once, or "". The game never sends it: the
// settings program does.
std::string leaveRoundWaiting(const Game& game, RoundDriver& driver, WaitingKeeper* keeper, std::time_t now);

// --- Sending what waits ----------------------------------------------------------

// What a pass of sending did, for the dialog's line.
struct SendingTally {
    int kept = 0;
    int32_t lastScore = 0;     // the last kept round's bubbles, as the board counted them
    int refused = 0;
    std::string refusal;       // the last refusal's reason (English, the board's)
    bool late = false;         // the last refusal came for a round that had waited: the clock rule
    std::time_t lateLeft = 0;  // when that round was left
    bool nameTaken = false;    // a refusal said the name is another player's there
    bool unanswered = false;   // the pass ended on a board that did not settle a round
    std::string unsettled;     // why (English)
    int dropped = 0;           // rounds past kMostWaitingRounds, or unreadable, removed unsent
};

// A program's sending, one round at a time, driven by its own loop: begin a
// pass, then ask for each round's request and hand its answer back.
struct RoundSending {
    WaitingStore store;
    std::string origin;           // the board's, from readBoardAddress; none: nothing is sent
    std::string secret;           // the name's (wellFormedBoardSecret)
    std::vector<std::string> left;  // this pass's names still to send, the longest waiting first
    std::string sending;          // the name whose answer is awaited, or ""
    std::set<std::string> tried;  // names sent and not settled in this run of the program
    SendingTally tally;
    bool toldUnanswered = false;  // said once a run, until a board answers again
};

// A pass over what waits now (unless one is under way; false when there is
// nothing to send): every round, or, with `newOnly` (while a game runs),
// the rounds not yet tried in this run. Rounds past kMostWaitingRounds go
// first, the longest waiting of them.
bool beginSending(RoundSending* sending, bool newOnly);

// The next round's request of the pass; false when the pass is over (the
// rounds all sent, or the board not settling one: the rest wait).
bool nextRound(RoundSending* sending, BoardRequest* request);

// The answer to the last request, at `now`: a round settled goes from the
// store; one not settled ends the pass.
void takeRoundAnswer(RoundSending* sending, const BoardAnswer& answer, std::time_t now);

// The choice and the sending turned to the board at `origin` ("" for none):
// a secret made by `makeSecret` the first time there is a board, and what
// was under way for the board before forgotten (an answer still awaited is
// not this one's). False when they are on that board already.
bool turnToBoard(LaunchChoice* choice, RoundSending* sending, const std::string& origin, std::string (*makeSecret)());

// Whether the pass has an answer awaited or rounds left.
bool sendingUnderWay(const RoundSending& sending);

// Seconds a round may wait and still be on time for the board's clock rule
// (docs/board.md): a refusal of one that waited longer is said to be that.
constexpr int kBoardClockSeconds = 20;
