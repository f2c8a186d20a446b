// The display policy both programs share, against recording display steps
// handed over as a shell hands its own: the order of the steps, which
// failures show a box, and the exit code.

#include "shell/display_policy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/headless/headless_platform.h"
#include "tests/shell/recording_steps.h"

namespace {
using Strings = std::vector<std::string>;
const std::string kQuery = kDisplayQueryFailedMessage;
const std::string kChange = kDisplayChangeFailedMessage;

class DisplayPolicy : public ::testing::Test {
protected:
    void SetUp() override {
        headless().clear();
        run.steps = steps.steps();
        run.platform = headless().services();
    }
    RecordingSteps steps;
    DisplayRun run;
};

TEST_F(DisplayPolicy, DeactivationShowsTheCursorMinimisesThenGivesTheDesktopBack) {
    onDeactivated(run, 0);
    EXPECT_EQ(steps.log, (Strings{"cursor shown", "minimise", "restore"}));
    steps.log.clear();
    onDeactivated(run, 1);  // quitting: the window goes away unminimised
    EXPECT_EQ(steps.log, (Strings{"cursor shown", "restore"}));
    EXPECT_EQ(run.quitPosted, 0);
    EXPECT_TRUE(headless().errors.empty());
}

TEST_F(DisplayPolicy, ActivationSwitchesThenHidesTheCursorEvenWhenRefused) {
    onActivated(run);
    EXPECT_EQ(steps.log, (Strings{"apply", "cursor hidden"}));
    steps.log.clear();
    steps.applyAnswers = 0;
    onActivated(run);
    EXPECT_EQ(steps.log, (Strings{"apply", "quit 2", "cursor hidden"}));
    EXPECT_EQ(headless().errors, Strings{kChange});
    EXPECT_EQ(run.exitCode, kExitStartFailed);
}

TEST_F(DisplayPolicy, AFailedQueryStillTriesTheSwitchAndEachFailureHasItsBox) {
    steps.queryAnswers = 0;
    steps.applyAnswers = 0;
    enterGameMode(run);
    EXPECT_EQ(steps.log, (Strings{"query", "quit 2", "apply", "quit 2"}));
    EXPECT_EQ(headless().errors, (Strings{kQuery, kChange}));
    EXPECT_EQ(run.exitCode, kExitStartFailed);
}

TEST_F(DisplayPolicy, AStartThatSwitchesShowsNoBoxAndLeavesTheRunGoing) {
    enterGameMode(run);
    EXPECT_EQ(steps.log, (Strings{"query", "apply"}));
    EXPECT_TRUE(headless().errors.empty());
    EXPECT_EQ(run.quitPosted, 0);
}

TEST_F(DisplayPolicy, OneBoxPerKindAndNoSwitchOnceTheRunIsEnding) {
    steps.applyAnswers = 0;
    steps.restoreAnswers = 0;
    onActivated(run);       // refused: box, quit
    onDeactivated(run, 0);  // the box's own focus change: restore refused too, no second box
    steps.log.clear();
    onActivated(run);  // the box closed: the game's mode is not tried again
    EXPECT_EQ(steps.log, (Strings{"cursor hidden"}));
    EXPECT_EQ(headless().errors, Strings{kChange});
}

TEST_F(DisplayPolicy, TheFirstCodeStaysWhateverEndsTheRunLater) {
    // A refused restore as the window closes, then the teardown's normal end.
    steps.restoreAnswers = 0;
    onDeactivated(run, 1);
    endRun(run, kExitNormal);
    EXPECT_EQ(steps.log, (Strings{"cursor shown", "restore", "quit 2", "quit 2"}));
    EXPECT_EQ(run.exitCode, kExitStartFailed);

    // Another run, with steps of its own: they alone hear of it.
    RecordingSteps otherSteps;
    DisplayRun normal;
    normal.steps = otherSteps.steps();
    endRun(normal, kExitNormal);
    endRun(normal, kExitStartFailed);
    EXPECT_EQ(normal.exitCode, kExitNormal);
    EXPECT_EQ(otherSteps.log, (Strings{"quit 0", "quit 0"}));
    EXPECT_EQ(steps.log.size(), 4u);
}
}  // namespace
