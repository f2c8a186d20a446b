#include "shell/win32/win32_pads.h"

#include <windows.h>

#include "shell/win32/xinput_library.h"

namespace {
XInputReader reader;
Pads pads;
}  // namespace

void loadXInput() { reader.getState = loadXInputGetState(); }

void pollPads(Game& game) {
    if (reader.getState == nullptr) return;
    PadState states[kXInputPads];
    readXInput(reader, states);
    for (DWORD index = 0; index < kXInputPads; ++index) {
        if (reader.connected[index])
            updatePad(game, pads, static_cast<int>(index), states[index]);
        else
            losePad(game, pads, static_cast<int>(index));
    }
}

void releasePads(Game& game) { loseAllPads(game, pads); }
