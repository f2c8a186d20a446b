#include "core/xinput_pad.h"

namespace {
// The full range both ways; -32768 reaches just past -1, which only matters
// for being past the dead zone.
float thumb(int16_t value) { return static_cast<float>(value) / 32767.0f; }
}  // namespace

PadState padStateOfXInput(const XInputState& state) {
    const XInputGamepad& pad = state.gamepad;
    const auto down = [&](uint16_t bit) { return (pad.buttons & bit) != 0; };
    PadState out;
    out.dpadUp = down(XInputDpadUp);
    out.dpadDown = down(XInputDpadDown);
    out.dpadLeft = down(XInputDpadLeft);
    out.dpadRight = down(XInputDpadRight);
    out.stickX = thumb(pad.thumbLX);
    out.stickY = -thumb(pad.thumbLY);  // XInput counts up, the pads here down
    out.south = down(XInputA);
    out.east = down(XInputB);
    out.start = down(XInputStart);
    out.back = down(XInputBack);
    out.leftShoulder = down(XInputLeftShoulder);
    out.rightShoulder = down(XInputRightShoulder);
    out.rightTrigger = pad.rightTrigger > 127;
    return out;
}
