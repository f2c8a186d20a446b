#pragma once
// The round options that korvada-replay and korvada-shot share: which round
// to lay out and how to step it, so that both tools play the same round.

#include <cstdint>
#include <string>
#include <vector>

struct Game;
struct RoundDriver;

struct KeySpan {
    long long first;  // steps counted from 1, both ends held
    long long last;
    int key;
};

struct RoundOptions {
    uint32_t seed = 1;
    int bottles = 4;
    int bubbles = 30;
    int sound = 1;
    long long steps = 1000;
    double dt = 0.016;
    std::vector<KeySpan> keys;
    long long every = 0;
    // The round's facts: --daily DAY lays out that day's round (no --seed,
    // --bottles or --bubbles with it); --day DAY is the day a free round
    // says it was played (1970-01-01 unless told, so that its recording is
    // the same bytes whenever it is made); --name, --ticket.
    bool daily = false;
    uint32_t day = 0;
    std::string name;
    std::string ticket;
    bool layoutGiven = false;  // --seed, --bottles or --bubbles
};

// Takes the round option at argv[i] and its value, moving i past them.
// Returns 1 when taken, 0 when argv[i] is no round option, and -1 with a
// one-line *error when its value is bad.
int parseRoundOption(int argc, char** argv, int& i, RoundOptions& options, std::string& error);

// Seeds the generator and starts the round through the driver, live and
// recorded, with the options' bottles, bubbles and sound and this blending.
void layOutRound(RoundDriver& driver, Game& game, const RoundOptions& options, int blending = 0);

// Step `step` (from 1): holds the keys its spans name and no others, moves
// the counter on by dt, and plays one frame through the driver.
void playStep(RoundDriver& driver, Game& game, const RoundOptions& options, long long step);
