#pragma once
// The frame clock: seconds between readings of the platform's
// high-resolution counter. No cap on the value: after a pause the next frame
// gets the whole pause.

#include <cstdint>

struct PerfTimer {
    int64_t frequency = 0;  // counts per second, read once by init()
    int64_t lastCount = 0;  // counter at the last reset() or elapsedSeconds()

    void init();
    void reset();
    // Seconds since the previous reading, and starts the next interval.
    // A counter without a frequency gives 0 rather than a division by zero.
    float elapsedSeconds();
};
