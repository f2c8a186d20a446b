#include "shell/headless/headless_platform.h"

#include <cmath>
#include <cstdlib>

namespace {
HeadlessPlatform& recorder(void* shell) { return *static_cast<HeadlessPlatform*>(shell); }

void recordError(void* shell, const char* text) { recorder(shell).errors.emplace_back(text); }

void recordSound(void* shell, const char* fileName) {
    recorder(shell).sounds.emplace_back(fileName);
    if (recorder(shell).onSound) recorder(shell).onSound(fileName);
}

int64_t readCounter(void* shell) {
    HeadlessPlatform& platform = recorder(shell);
    const int64_t now = platform.counter;
    platform.counter += platform.countsPerRead;
    return now;
}
int64_t readFrequency(void* shell) { return recorder(shell).frequency; }

void countSwap(void* shell) { ++recorder(shell).swapCount; }
void countCloseRequest(void* shell) { ++recorder(shell).closeRequests; }
void* allocate(void*, size_t byteCount) { return std::malloc(byteCount); }
}  // namespace

HeadlessPlatform& headless() {
    static HeadlessPlatform platform;
    return platform;
}

void HeadlessPlatform::advance(double seconds) { counter += std::llround(seconds * static_cast<double>(frequency)); }

void HeadlessPlatform::clear() {
    errors.clear();
    sounds.clear();
    swapCount = 0;
    closeRequests = 0;
    countsPerRead = 0;
    onSound = nullptr;
}

PlatformServices HeadlessPlatform::services() {
    return {this, recordError, recordSound, readCounter, readFrequency, countSwap, countCloseRequest, allocate};
}
