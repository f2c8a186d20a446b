// The pads' one mapping where the shells' own tests do not reach it: the dead
// zone's edge, and XInput's state as the Windows shell reads it, from
// made-up states.

#include <gtest/gtest.h>

#include "core/game.h"
#include "core/keys.h"
#include "core/pad_mapping.h"
#include "core/pause.h"
#include "core/xinput_pad.h"
#include "shell/headless/headless_platform.h"

namespace {
class PadMapping : public ::testing::Test {
protected:
    PadMapping() { game.usePlatform(headless().services()); }
    void xinput(uint16_t buttons, int16_t x = 0, int16_t y = 0) {
        XInputState state = {};
        state.packetNumber = ++packet;
        state.gamepad.buttons = buttons;
        state.gamepad.thumbLX = x;
        state.gamepad.thumbLY = y;
        state.gamepad.thumbRX = 32767;  // the right stick and the triggers steer nothing
        state.gamepad.leftTrigger = 255;
        updatePad(game, pads, 0, padStateOfXInput(state));
    }
    int arrows() const {
        return (game.keyDown[kKeyLeft] << 0) | (game.keyDown[kKeyUp] << 1) | (game.keyDown[kKeyRight] << 2) |
               (game.keyDown[kKeyDown] << 3);
    }

    Game game;
    Pads pads;
    uint32_t packet = 0;
};

TEST_F(PadMapping, TheStickHoldsAnArrowOnlyPastTheDeadZone) {
    PadState pad;
    pad.stickX = kStickDeadZone;
    pad.stickY = -kStickDeadZone;
    updatePad(game, pads, 0, pad);
    EXPECT_EQ(arrows(), 0);
    pad.stickX = 0.36f;
    pad.stickY = -0.36f;
    updatePad(game, pads, 0, pad);
    EXPECT_EQ(arrows(), 0b0110);  // right and up together
}

TEST_F(PadMapping, XInputButtonsAndThumbs) {
    struct Case {
        uint16_t buttons;
        int32_t key;
    };
    // Start last: B has ended the round, and on the end screen Start is Enter.
    const Case cases[] = {{XInputDpadLeft, kKeyLeft},   {XInputDpadUp, kKeyUp},    {XInputDpadRight, kKeyRight},
                          {XInputDpadDown, kKeyDown},   {XInputA, kKeyReturn},     {XInputB, kKeyEscape},
                          {XInputBack, kKeyEscape},     {XInputStart, kKeyReturn}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons);
        xinput(c.buttons);
        EXPECT_EQ(game.keyDown[c.key], 1);
        xinput(0);
        EXPECT_EQ(game.keyDown[c.key], 0);
    }
    EXPECT_EQ(game.gameOver, 1);

    // XInput counts the stick's y upward; its own dead zone (7849) is inside ours.
    xinput(0, 0, 32767);
    EXPECT_EQ(arrows(), 0b0010);
    xinput(0, -32768, -32768);
    EXPECT_EQ(arrows(), 0b1001);
    xinput(0, 11000, -7849);
    EXPECT_EQ(arrows(), 0);
    xinput(0, 12000, 0);
    EXPECT_EQ(arrows(), 0b0100);

    // The other buttons (X, Y, the stick presses) hold nothing; the shoulders step the camera.
    xinput(0x4000 | 0x8000 | 0x0040 | 0x0080);
    EXPECT_EQ(arrows() + game.keyDown[kKeyReturn] + game.keyDown[kKeyEscape], 0);
    xinput(XInputLeftShoulder);
    EXPECT_EQ(game.cameraIndex, kCameraPresetCount - 1) << "back round to the last camera";
    // A shoulder held steps once, however many states the pad reports meanwhile.
    for (int16_t x : {0, 12000, 0, -12000}) xinput(XInputLeftShoulder, x);
    EXPECT_EQ(game.cameraIndex, kCameraPresetCount - 1);
    xinput(XInputRightShoulder);
    xinput(XInputRightShoulder | XInputDpadUp);
    EXPECT_EQ(game.cameraIndex, 0);
}

// In the round Start pauses and goes on, holding no Enter: not even when B
// ends the round while it is held, where the end screen would count it as
// its own press. On the end screen it is Enter again, once pressed anew.
TEST_F(PadMapping, StartPausesTheRoundAndIsEnterOnlyOnTheEndScreen) {
    xinput(0);
    xinput(XInputStart);
    EXPECT_EQ(game.paused, 1);
    for (int16_t x : {12000, 0}) xinput(XInputStart, x);
    EXPECT_EQ(game.paused, 1) << "held, it pauses once";
    xinput(0);
    EXPECT_EQ(game.paused, 1);
    xinput(XInputStart);
    EXPECT_EQ(game.paused, 0);
    xinput(0);
    // A pad first read holding Start (the one that began the round) pauses
    // nothing until pressed anew; a second pad's Start acts as the first's.
    PadState other;
    other.start = true;
    updatePad(game, pads, 1, other);
    EXPECT_EQ(game.paused, 0);
    pauseRound(game);
    updatePad(game, pads, 1, PadState());
    updatePad(game, pads, 1, other);
    EXPECT_EQ(game.paused, 0);
    losePad(game, pads, 1);
    updatePad(game, pads, 1, other);
    EXPECT_EQ(game.paused, 0) << "plugged in again holding Start";
    EXPECT_EQ(game.keyDown[kKeyReturn], 0);
    losePad(game, pads, 1);

    xinput(XInputStart);
    xinput(XInputStart | XInputB);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(game.paused, 0) << "Esc ends the paused round";
    xinput(XInputStart);
    EXPECT_EQ(game.keyDown[kKeyReturn] + game.exitKeyTapped, 0);
    xinput(0);
    xinput(XInputStart);
    EXPECT_EQ(game.keyDown[kKeyReturn], 1);
    EXPECT_EQ(game.exitKeyTapped, 1);
    EXPECT_EQ(game.paused, 0);
}
}  // namespace
