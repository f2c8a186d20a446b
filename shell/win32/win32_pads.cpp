// Gamepads on Windows: XInput's four, read once a frame while the window is
// active, into the shell's Pads.

#include "shell/win32/win32_shell.h"

void loadXInput(Win32Shell& shell) { shell.xinput.getState = loadXInputGetState(); }

void pollPads(Game& game, Win32Shell& shell) {
    if (shell.xinput.getState == nullptr) return;
    PadState states[kXInputPads];
    readXInput(shell.xinput, states);
    for (DWORD index = 0; index < kXInputPads; ++index) {
        if (shell.xinput.connected[index])
            updatePad(game, shell.pads, static_cast<int>(index), states[index]);
        else
            losePad(game, shell.pads, static_cast<int>(index));
    }
}
