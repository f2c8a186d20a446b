#include "shell/headless/headless_platform.h"

#include <cmath>
#include <cstdlib>

#include "core/platform.h"

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

void platformShowError(const char* text) { headless().errors.emplace_back(text); }

void platformPlaySound(const char* fileName) {
    headless().sounds.emplace_back(fileName);
    if (headless().onSound) headless().onSound(fileName);
}

int64_t platformCounter() {
    const int64_t now = headless().counter;
    headless().counter += headless().countsPerRead;
    return now;
}
int64_t platformCounterFrequency() { return headless().frequency; }

void* platformAllocatePixels(size_t byteCount) { return std::malloc(byteCount); }
void platformSwapBuffers() { ++headless().swapCount; }
void platformRequestClose() { ++headless().closeRequests; }
