#pragma once
// XInput, loaded at run time: a system without it (no xinput1_4.dll nor
// xinput9_1_0.dll) has no pads, and the programs work with the keyboard.
// Shared by the game and its setup dialog.

#include <windows.h>

#include "core/xinput_pad.h"

using XInputGetStateFunction = DWORD(WINAPI*)(DWORD userIndex, XInputState* state);

// XInputGetState from the system folder's XInput, or null without one.
XInputGetStateFunction loadXInputGetState();

// The pads XInput numbers.
constexpr DWORD kXInputPads = 4;

// The pads' states, read as the game and the dialog read them. Asking XInput
// about a slot without a pad costs far more than reading one that has a pad,
// so empty slots are looked at only once a second: a pad plugged in is
// noticed within that second.
struct XInputReader {
    XInputGetStateFunction getState = nullptr;  // null: no XInput, no pads
    bool connected[kXInputPads] = {};
    DWORD lastLook = 0;
    bool lookedYet = false;
};

// Each slot's state now into states[slot] and reader.connected[slot]; a slot
// without a pad rests.
void readXInput(XInputReader& reader, PadState (&states)[kXInputPads]);
