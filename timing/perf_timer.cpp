#include "timing/perf_timer.h"

void PerfTimer::init(int64_t countsPerSecond) { frequency = countsPerSecond; }

void PerfTimer::reset(int64_t now) { lastCount = now; }

float PerfTimer::elapsedSeconds(int64_t now) {
    // One reading ends this interval and starts the next, so that the time the
    // division takes belongs to the next frame instead of to none.
    const int64_t difference = now - lastCount;
    lastCount = now;
    return frequency > 0 ? static_cast<float>(static_cast<double>(difference) / static_cast<double>(frequency))
                         : 0.0f;
}
