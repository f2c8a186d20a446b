#pragma once
// The platform for tests, tools and benchmarks: no window, no sound card.
// It records what the game asked of it, and its counter moves only when told,
// so a round runs the same on every machine.

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform.h"

struct HeadlessPlatform {
    std::vector<std::string> errors;  // texts of the error boxes, in order
    std::vector<std::string> sounds;  // sound files started, in order
    int64_t counter = 0;
    int64_t frequency = 1000000000;  // nanoseconds
    // Counts the counter moves on after each read, as a running counter does
    // between two reads; 0 keeps it still.
    int64_t countsPerRead = 0;
    int swapCount = 0;
    int closeRequests = 0;

    // Called for every sound started, after it is recorded (may be empty).
    void (*onSound)(const char* fileName) = nullptr;

    // Moves the counter on so that the next elapsed time reads `seconds`.
    void advance(double seconds);
    void clear();

    // The services that record into this one, to hand over.
    PlatformServices services();
};

// The one instance a test program or tool records into.
HeadlessPlatform& headless();
