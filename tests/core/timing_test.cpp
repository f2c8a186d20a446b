#include "shell/headless/headless_platform.h"
#include "timing/perf_timer.h"

#include <gtest/gtest.h>

namespace {

class FrameClock : public ::testing::Test {
protected:
    FrameClock() {
        headless().frequency = 1000000000;
        headless().counter = 0;
        timer.init();
        timer.reset();
    }
    ~FrameClock() override {
        headless().frequency = 1000000000;
        headless().countsPerRead = 0;
    }
    PerfTimer timer;
};

TEST_F(FrameClock, MeasuresEachIntervalOnce) {
    headless().advance(0.25);
    EXPECT_EQ(timer.elapsedSeconds(), 0.25f);
    EXPECT_EQ(timer.elapsedSeconds(), 0.0f);  // the counter has not moved
    headless().advance(0.016);
    EXPECT_EQ(timer.elapsedSeconds(), 0.016f);
}

TEST_F(FrameClock, EveryCountAfterTheResetBelongsToOneFrame) {
    // A running counter moves on while it is read: time between two reads
    // within one reading would belong to no frame.
    headless().countsPerRead = 1000000;  // a millisecond a read
    const int64_t start = headless().counter;
    timer.reset();
    double total = 0;
    for (int frame = 0; frame < 3; ++frame) {
        headless().advance(0.01);
        total += timer.elapsedSeconds();
    }
    const int64_t lastRead = headless().counter - headless().countsPerRead;
    EXPECT_NEAR(total, static_cast<double>(lastRead - start) / 1e9, 1e-6);
}

TEST_F(FrameClock, AnyPauseComesWholeInTheNextFrame) {
    headless().advance(3600.0 * 24 * 30);
    EXPECT_EQ(timer.elapsedSeconds(), static_cast<float>(3600.0 * 24 * 30));
}

TEST_F(FrameClock, UsesTheFullDifferenceWhateverTheCounter) {
    headless().counter = INT64_C(9000000000000000000);
    timer.reset();
    headless().advance(0.5);
    EXPECT_EQ(timer.elapsedSeconds(), 0.5f);
}

TEST_F(FrameClock, ACounterWithoutFrequencyGivesZero) {
    headless().frequency = 0;
    timer.init();
    headless().counter += 12345;
    EXPECT_EQ(timer.elapsedSeconds(), 0.0f);
}

}  // namespace
