// The display policy both programs share, against recording display steps
// handed over as a shell hands its own: the order of the steps, which
// failures show a box, the exit code, the switch between full screen and a
// window, and when the round holds still.

#include "shell/display_policy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/game.h"
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
        steps.handTo(run);
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

// Keys would reach another window: without the focus nothing moves, and a
// window brought back without it still holds until the focus returns.
TEST_F(DisplayPolicy, TheRoundHoldsStillFromAnyFocusLossToTheFocusBack) {
    for (const int32_t inWindow : {0, 1}) {
        run.inWindow = inWindow;
        onDeactivated(run, 0);
        EXPECT_EQ(run.held, 1) << "in a window: " << inWindow;
        steps.log.clear();
        onRestoredWithoutFocus(run);
        EXPECT_EQ(run.held, 1);
        const Strings reapplied =
            inWindow ? Strings{"window: apply", "window: cursor hidden"} : Strings{"apply", "cursor hidden"};
        EXPECT_EQ(steps.log, reapplied);
        onActivated(run);
        EXPECT_EQ(run.held, 0);
        onDeactivated(run, 0);
        steps.log.clear();
        onActivatedByClick(run);  // Windows: the round goes on, the display and cursor as they are
        EXPECT_EQ(run.held, 0);
        EXPECT_TRUE(steps.log.empty());
    }
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
    // A run that starts in a window asks that way's steps alone.
    steps.log.clear();
    run.inWindow = 1;
    enterGameMode(run);
    EXPECT_EQ(steps.log, (Strings{"window: query", "window: apply"}));
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
    otherSteps.handTo(normal);
    endRun(normal, kExitNormal);
    endRun(normal, kExitStartFailed);
    EXPECT_EQ(normal.exitCode, kExitNormal);
    EXPECT_EQ(otherSteps.log, (Strings{"quit 0", "quit 0"}));
    EXPECT_EQ(steps.log.size(), 4u);
}

// Alt+Enter and F11: each way's own steps, in the order the display needs
// them, and the switch's time not played.
class DisplayToggle : public DisplayPolicy {
protected:
    void SetUp() override {
        DisplayPolicy::SetUp();
        game.usePlatform(headless().services());
        GameSettings settings;
        ASSERT_EQ(parseLaunchCode("3TYAY", &settings), 1);
        game.startRound(settings);
    }
    // The toggle, after 50 s of a switch that the round must not play.
    void toggle() {
        headless().advance(50);
        toggleFullScreen(run, game);
        EXPECT_LT(game.frameSeconds(), 1.0f) << "the switch's time was played";
    }
    Game game;
};

TEST_F(DisplayToggle, GoesToTheWindowAndBackToFullScreenWithTheStartsSwitch) {
    toggle();
    EXPECT_EQ(steps.log, (Strings{"restore", "window: shape"}));
    EXPECT_EQ(run.inWindow, 1);
    steps.log.clear();
    onDeactivated(run, 0);  // the window's way from now on
    onActivated(run);
    EXPECT_EQ(steps.log, (Strings{"window: cursor shown", "window: minimise", "window: restore", "window: apply",
                                  "window: cursor hidden"}));
    steps.log.clear();
    toggle();
    EXPECT_EQ(steps.log, (Strings{"query", "apply", "shape"}));
    EXPECT_EQ(run.inWindow, 0);
    EXPECT_TRUE(headless().errors.empty());
    EXPECT_EQ(run.quitPosted, 0);
}

// Mid-round a refusal either way is said on stderr, shows no box and ends
// nothing: a refused switch gives the desktop's mode back and plays on in
// the window.
TEST_F(DisplayToggle, ARefusalEitherWayPlaysOnInTheWindow) {
    steps.restoreAnswers = 0;
    testing::internal::CaptureStderr();
    toggle();
    EXPECT_EQ(run.inWindow, 1);
    steps.restoreAnswers = 1;
    steps.log.clear();
    steps.applyAnswers = 0;
    toggle();
    EXPECT_EQ(steps.log, (Strings{"query", "apply", "restore", "window: shape"}));
    steps.log.clear();
    steps.applyAnswers = 1;
    steps.queryAnswers = 0;
    toggle();
    EXPECT_EQ(steps.log, (Strings{"query", "restore", "window: shape"}));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("the desktop's mode did not come back"), std::string::npos) << said;
    EXPECT_NE(said.find("the display refused full screen at 1024x768; playing on in the window"), std::string::npos)
        << said;
    EXPECT_EQ(run.inWindow, 1);
    EXPECT_TRUE(headless().errors.empty());
    EXPECT_EQ(run.quitPosted, 0);
}
}  // namespace
