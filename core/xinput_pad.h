#pragma once
// The state XInput reports for a pad, laid out as XInputGetState writes it,
// and its reading as a PadState. Plain C++ so that the native tests check
// the reading with made-up states; the Windows shell passes this record to
// XInputGetState itself.

#include <cstdint>

#include "core/pad_mapping.h"

struct XInputGamepad {
    uint16_t buttons;  // XInputButton bits
    uint8_t leftTrigger, rightTrigger;
    int16_t thumbLX, thumbLY;  // -32768..32767, y up
    int16_t thumbRX, thumbRY;
};

struct XInputState {
    uint32_t packetNumber;
    XInputGamepad gamepad;
};
static_assert(sizeof(XInputState) == 16, "XINPUT_STATE is 16 bytes");

// The button bits XInput names XINPUT_GAMEPAD_*.
enum XInputButton : uint16_t {
    XInputDpadUp = 0x0001,
    XInputDpadDown = 0x0002,
    XInputDpadLeft = 0x0004,
    XInputDpadRight = 0x0008,
    XInputStart = 0x0010,
    XInputBack = 0x0020,
    XInputLeftShoulder = 0x0100,
    XInputRightShoulder = 0x0200,
    XInputA = 0x1000,
    XInputB = 0x2000,
};

PadState padStateOfXInput(const XInputState& state);
