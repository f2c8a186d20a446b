// Gamepads in the browser: its list of pads, read once a frame into the
// shell's Pads during a round, and into the form's menu between rounds.

#include <emscripten.h>

#include <cstring>

#include "shell/web/web_shell.h"

namespace {
// The standard mapping: buttons 0 A, 1 B, 4 and 5 the shoulders, 8 Back,
// 9 Start, 12..15 the d-pad, 7 the right trigger; axes 0 and 1 the left stick. A pad the browser
// has no mapping for keeps only what most have in common: its first stick,
// and its first button as A, which cannot end a round by a wrong guess.
PadState padStateOf(const EmscriptenGamepadEvent& pad) {
    const auto down = [&pad](int button) { return button < pad.numButtons && pad.digitalButton[button] != 0; };
    PadState state;
    if (pad.numAxes >= 2) {
        state.stickX = static_cast<float>(pad.axis[0]);
        state.stickY = static_cast<float>(pad.axis[1]);
    }
    state.south = down(0);
    if (std::strcmp(pad.mapping, "standard") != 0) return state;
    state.east = down(1);
    state.leftShoulder = down(4);
    state.rightShoulder = down(5);
    state.rightTrigger = pad.numButtons > 7 && pad.analogButton[7] > 0.5;
    state.back = down(8);
    state.start = down(9);
    state.dpadUp = down(12);
    state.dpadDown = down(13);
    state.dpadLeft = down(14);
    state.dpadRight = down(15);
    return state;
}
}  // namespace

// Browsers give no events for a pad's buttons: its state is read every
// frame. A pad gone from the list, or no longer connected, lets go.
// Without the focus the page reads none: the browser still tells a page it
// shows what the pads hold, and a pad held as the focus went would hold its
// key again at once, as the keyboard's cannot. The keys the lost focus let
// go of stay let go; back, a pad still held holds again.
void readPads(Game& game, WebShell& shell) {
    if (shell.away || emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
    const int count = emscripten_get_num_gamepads();
    for (int slot = 0; slot < kPadSlots; ++slot) {
        EmscriptenGamepadEvent pad;
        if (slot < count && emscripten_get_gamepad_status(slot, &pad) == EMSCRIPTEN_RESULT_SUCCESS && pad.connected)
            updatePad(game, shell.pads, slot, padStateOf(pad));
        else
            losePad(game, shell.pads, slot);
    }
}

int readFormPads(WebShell& shell, bool formShown) {
    PadState states[kPadSlots];
    int count = 0;
    if (emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS) {
        const int pads = emscripten_get_num_gamepads();
        for (int slot = 0; slot < pads && count < kPadSlots; ++slot) {
            EmscriptenGamepadEvent pad;
            if (emscripten_get_gamepad_status(slot, &pad) == EMSCRIPTEN_RESULT_SUCCESS && pad.connected)
                states[count++] = padStateOf(pad);
        }
    }
    if (!formShown) {
        padMenuShown(shell.formMenu, states, count);
        return 0;
    }
    return static_cast<int>(padMenuActions(shell.formMenu, states, count, static_cast<uint32_t>(emscripten_get_now())));
}
