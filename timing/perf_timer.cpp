#include "timing/perf_timer.h"

#include "core/platform.h"

void PerfTimer::init() { frequency = platformCounterFrequency(); }

void PerfTimer::reset() { lastCount = platformCounter(); }

float PerfTimer::elapsedSeconds() {
    // One read ends this interval and starts the next, so that the time the
    // division takes belongs to the next frame instead of to none.
    const int64_t now = platformCounter();
    const int64_t difference = now - lastCount;
    lastCount = now;
    return frequency > 0 ? static_cast<float>(static_cast<double>(difference) / static_cast<double>(frequency))
                         : 0.0f;
}
