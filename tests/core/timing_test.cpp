#include "core/game.h"
#include "shell/headless/headless_platform.h"
#include "timing/perf_timer.h"

#include <gtest/gtest.h>

namespace {

// The clock alone, on the readings of a nanosecond counter.
class FrameClock : public ::testing::Test {
protected:
    FrameClock() {
        timer.init(1000000000);
        timer.reset(0);
    }
    PerfTimer timer;
};

TEST_F(FrameClock, MeasuresEachIntervalOnce) {
    EXPECT_EQ(timer.elapsedSeconds(250000000), 0.25f);
    EXPECT_EQ(timer.elapsedSeconds(250000000), 0.0f);  // the counter has not moved
    EXPECT_EQ(timer.elapsedSeconds(266000000), 0.016f);
}

TEST_F(FrameClock, AnyPauseComesWholeInTheNextFrame) {
    EXPECT_EQ(timer.elapsedSeconds(INT64_C(3600) * 24 * 30 * 1000000000), static_cast<float>(3600.0 * 24 * 30));
}

TEST_F(FrameClock, UsesTheFullDifferenceWhateverTheCounter) {
    timer.reset(INT64_C(9000000000000000000));
    EXPECT_EQ(timer.elapsedSeconds(INT64_C(9000000000500000000)), 0.5f);
}

TEST_F(FrameClock, ACounterWithoutFrequencyGivesZero) {
    timer.init(0);
    EXPECT_EQ(timer.elapsedSeconds(12345), 0.0f);
}

// A running counter moves on while it is read: were the Game to read it
// twice a frame, the time between the two reads would belong to no frame.
TEST(GameFrameClock, EveryCountAfterTheRestartBelongsToOneFrame) {
    headless().clear();
    headless().counter = 0;
    headless().countsPerRead = 1000000;  // a millisecond a read
    Game game;
    game.usePlatform(headless().services());
    const int64_t start = headless().counter;
    game.restartFrameClock();
    double total = 0;
    for (int frame = 0; frame < 3; ++frame) {
        headless().advance(0.01);
        total += game.frameSeconds();
    }
    const int64_t lastRead = headless().counter - headless().countsPerRead;
    headless().countsPerRead = 0;
    EXPECT_NEAR(total, static_cast<double>(lastRead - start) / 1e9, 1e-6);
}

}  // namespace
