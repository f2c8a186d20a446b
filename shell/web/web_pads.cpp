// The browser's pads as PadStates, and the page's form worked by them as the
// setup dialogs are (setup/pad_menu.h).

#include "shell/web/web_pads.h"

#include <emscripten.h>

#include <cstring>

#include "setup/pad_menu.h"

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
    state.back = down(8);
    state.start = down(9);
    state.dpadUp = down(12);
    state.dpadDown = down(13);
    state.dpadLeft = down(14);
    state.dpadRight = down(15);
    return state;
}

namespace {
PadMenu formMenu;
}  // namespace

// Once an animation frame, from the page: what the pads ask of the form
// (PadMenuAction bits), while `formShown`. Otherwise (a round is on) they ask
// nothing, and what they hold when the form comes back acts only once
// pressed anew.
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaFormPads(int formShown) {
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
        padMenuShown(formMenu, states, count);
        return 0;
    }
    return static_cast<int>(padMenuActions(formMenu, states, count, static_cast<uint32_t>(emscripten_get_now())));
}
