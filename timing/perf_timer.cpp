#include "timing/perf_timer.h"

#include "core/platform.h"

void PerfTimer::init() { frequency = platformCounterFrequency(); }

void PerfTimer::reset() { lastCount = platformCounter(); }

float PerfTimer::elapsedSeconds() {
    const int64_t now = platformCounter();
    const int64_t difference = now - lastCount;
    const float result =
        frequency > 0 ? static_cast<float>(static_cast<double>(difference) / static_cast<double>(frequency))
                      : 0.0f;
    lastCount = platformCounter();
    return result;
}
