#pragma once
// The frame clock: seconds between readings of a high-resolution counter.
// No cap on the value: after a pause the next frame gets the whole pause.
// The readings are handed in by whoever holds the counter (the Game reads
// the platform's), so the clock depends on nothing else of the game.

#include <cstdint>

struct PerfTimer {
    int64_t frequency = 0;  // counts per second, set once by init()
    int64_t lastCount = 0;  // counter at the last reset() or elapsedSeconds()

    void init(int64_t countsPerSecond);
    void reset(int64_t now);
    // Seconds from the previous reading to `now`, which starts the next
    // interval. A counter without a frequency gives 0 rather than a division
    // by zero.
    float elapsedSeconds(int64_t now);
};
