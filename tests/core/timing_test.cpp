#include "core/game.h"
#include "core/round_driver.h"
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

// A running counter moves on while it is read: were a frame to read it
// twice, the time between the two reads would belong to no frame. The
// driver reads it once a frame, at the boundary, and what it read is what
// the round recorded and the end screen counted.
TEST(GameFrameClock, EveryCountAfterTheRestartBelongsToOneFrame) {
    headless().clear();
    headless().counter = 0;
    headless().countsPerRead = 1000000;  // a millisecond a read
    Game game;
    RoundDriver driver;
    game.usePlatform(headless().services());
    startLiveRound(driver, game, GameSettings());
    const int64_t start = headless().counter - headless().countsPerRead;  // the layout's restart
    for (int frame = 0; frame < 5; ++frame) {
        if (frame == 3) game.onKeyDown(kKeyEscape);
        headless().advance(0.01);
        updateFrame(driver, game);
    }
    const int64_t lastRead = headless().counter - headless().countsPerRead;
    headless().countsPerRead = 0;
    const std::vector<float>& recorded = driver.recorder.recording.frameSeconds;
    ASSERT_EQ(recorded.size(), 3u);
    const double total = static_cast<double>(recorded[0]) + recorded[1] + recorded[2] + game.endScreenTime;
    EXPECT_NEAR(total, static_cast<double>(lastRead - start) / 1e9, 1e-6);
}

}  // namespace
