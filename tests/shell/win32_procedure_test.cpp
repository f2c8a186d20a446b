// The Windows program's window procedure, its keys, activation and timer,
// fed the messages Windows sends (their numbers and lParam bits as Windows
// sets them), with recording steps for the window, the shell's actions and
// the display.

#include "shell/win32/win32_procedure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/game.h"
#include "core/input.h"
#include "shell/headless/headless_platform.h"
#include "tests/shell/recording_steps.h"

namespace {
using Strings = std::vector<std::string>;
constexpr uint64_t kVkReturn = 0x0D, kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27;

class Win32Procedure : public ::testing::Test {
protected:
    Win32Procedure() {
        headless().clear();
        game.usePlatform(headless().services());
        display.handTo(procedure.run);
        procedure.run.platform = headless().services();
        procedure.window.shell = this;
        procedure.window.redraw = [](void* self) { of(self).log.push_back("redraw"); };
        procedure.window.active = [](void* self) { return of(self).active; };
        procedure.window.readPads = [](void* self, Game&) { of(self).log.push_back("pads"); };
        procedure.actions.shell = this;
        procedure.actions.toggleFullScreen = [](void* self, Game&) { of(self).log.push_back("toggle"); };
        procedure.actions.say = [](void* self, const std::string& line) { of(self).log.push_back(line); };
        procedure.actions.redraw = [](void* self) { of(self).log.push_back("redraw"); };
    }
    static Win32Procedure& of(void* self) { return *static_cast<Win32Procedure*>(self); }

    // A key message as Windows sends it: Alt held sets bit 29, a key that was
    // already down (an auto-repeat) bit 30, a release bits 30 and 31. The bits
    // are Windows' own, written here as its documentation numbers them, so
    // that a procedure reading another bit is seen.
    void key(uint32_t message, uint64_t virtualKey, bool alt = false, bool wasDown = false) {
        const bool up = message == kWmKeyUp || message == kWmSysKeyUp;
        int64_t lParam = 1;  // the repeat count
        if (alt) lParam |= int64_t{1} << 29;
        if (wasDown || up) lParam |= int64_t{1} << 30;
        if (up) lParam |= int64_t{1} << 31;
        onKeyMessage(game, procedure, message, virtualKey, lParam);
    }
    int32_t held(uint64_t virtualKey) const { return game.keyDown[virtualKey]; }

    Game game;
    WindowProcedure procedure;
    RecordingSteps display;
    Strings log;
    int32_t active = 1;
};

// Alt+Enter toggles; Enter's repeats, once Alt is let go, come as plain
// WM_KEYDOWN with bit 30 set and must not reach the game (the end screen
// would close), while a fresh press (bit 30 clear) does.
TEST_F(Win32Procedure, TheRepeatBitKeepsTheTogglesEnterFromTheGame) {
    key(kWmSysKeyDown, kVkReturn, true);
    key(kWmSysKeyDown, kVkReturn, true, true);
    key(kWmKeyDown, kVkReturn, false, true);
    EXPECT_EQ(held(kVkReturn), 0) << "a repeat of the toggle's Enter reached the game";
    EXPECT_EQ(log, (Strings{"toggle", "redraw"}));
    key(kWmKeyUp, kVkReturn);
    key(kWmKeyDown, kVkReturn);
    EXPECT_EQ(held(kVkReturn), 1) << "a fresh Enter is the game's";

    key(kWmKeyDown, kVkRight);
    key(kWmKeyDown, kVkRight, false, true);
    EXPECT_EQ(held(kVkRight), 1) << "the game takes other keys' repeats as presses";
}

// Up held, Alt pressed, Up let go: Windows sends WM_SYSKEYUP, and the
// bottle must stop steering. Alt's own chords are Windows'.
TEST_F(Win32Procedure, AKeyLetGoWithAltHeldIsLetGoAndAltChordsAreWindows) {
    key(kWmKeyDown, kVkUp);
    key(kWmSysKeyUp, kVkUp, true);
    EXPECT_EQ(held(kVkUp), 0);
    key(kWmSysKeyDown, '3', true);
    EXPECT_EQ(game.cameraIndex, 0);
    log.clear();
    key(kWmKeyDown, 'P');
    EXPECT_EQ(game.paused, 1);
    key(kWmKeyDown, 'M');
    EXPECT_EQ(log, (Strings{"redraw", "korvada: the cues are muted", "redraw"})) << "each action asks for a paint";
}

// Deactivated, every key and pad lets go (their key-ups go to the window
// that has the focus now) and the round holds; back, it goes on with the
// time away not played, and a paint is asked for.
TEST_F(Win32Procedure, DeactivationLetsGoOfEveryKeyAndHoldsTheRound) {
    key(kWmKeyDown, kVkLeft);
    pressKey(game, PadInput, kVkRight);
    game.restartFrameClock();
    headless().advance(50);
    log.clear();
    onActivateMessage(game, procedure, kWaInactive);
    for (int i = 0; i < kKeyCount; ++i) ASSERT_EQ(game.keyDown[i], 0) << "key " << i << " still held away";
    EXPECT_EQ(procedure.run.held, 1);
    EXPECT_EQ(display.log, (Strings{"cursor shown", "minimise", "restore"}));
    headless().advance(50);
    onActivateMessage(game, procedure, kWaActive | (uint64_t{1} << 16));  // the high word: minimised
    EXPECT_EQ(procedure.run.held, 0);
    EXPECT_LT(game.frameSeconds(), 1.0f) << "the time away was played";
    EXPECT_EQ(display.log, (Strings{"cursor shown", "minimise", "restore", "apply", "cursor hidden"}));
    EXPECT_EQ(log, (Strings{"redraw"}));

    onActivateMessage(game, procedure, kWaInactive);
    onActivateMessage(game, procedure, kWaClickActive);
    EXPECT_EQ(procedure.run.held, 0);
    EXPECT_EQ(display.log.back(), "restore") << "a click's activation leaves the display as it is";
}

// A paused round draws no frames: its pads are read on the timer, but only
// while the window is the active one and not held; a playing round's are
// read by its paint messages, and by the active window's alone.
TEST_F(Win32Procedure, PadsAreReadOnlyByTheActiveWindowThatPlays) {
    onTimerMessage(game, procedure);
    EXPECT_EQ(log, Strings{}) << "a playing round's frames read the pads";
    readPadsForPaint(game, procedure);
    EXPECT_EQ(log, Strings{"pads"});
    log.clear();

    game.paused = 1;
    onTimerMessage(game, procedure);
    EXPECT_EQ(log, Strings{"pads"});
    log.clear();
    active = 0;
    onTimerMessage(game, procedure);
    readPadsForPaint(game, procedure);
    active = 1;
    onActivateMessage(game, procedure, kWaInactive);
    onTimerMessage(game, procedure);
    EXPECT_EQ(log, Strings{}) << "pads read while the paused window is away";
}
}  // namespace
