// Gamepads on Windows: XInput's four, read once a frame while the window is
// active, into the shell's Pads.

#include "shell/win32/win32_shell.h"

namespace {
// Asking XInput about a slot without a pad costs far more than reading one
// that has a pad, so empty slots are looked at only once a second: a pad
// plugged in is noticed within that second.
constexpr DWORD kLookForPadsMs = 1000;

// From the system folder only: never a DLL of that name beside the game.
HMODULE loadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) >= MAX_PATH) return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    return LoadLibraryA(path);
}
}  // namespace

void loadXInput(Win32Shell& shell) {
    HMODULE library = loadSystemLibrary("xinput1_4.dll");
    if (library == nullptr) library = loadSystemLibrary("xinput9_1_0.dll");
    if (library == nullptr) return;
    shell.xinputGetState =
        reinterpret_cast<XInputGetStateFunction>(reinterpret_cast<void*>(GetProcAddress(library, "XInputGetState")));
}

void pollPads(Game& game, Win32Shell& shell) {
    if (shell.xinputGetState == nullptr) return;
    const DWORD now = GetTickCount();
    const bool look = !shell.lookedYet || now - shell.lastLook >= kLookForPadsMs;
    if (look) shell.lookedYet = true, shell.lastLook = now;
    for (DWORD index = 0; index < kXInputPads; ++index) {
        if (!shell.connected[index] && !look) continue;
        XInputState state = {};
        shell.connected[index] = shell.xinputGetState(index, &state) == ERROR_SUCCESS;
        if (shell.connected[index])
            updatePad(game, shell.pads, static_cast<int>(index), padStateOfXInput(state));
        else
            losePad(game, shell.pads, static_cast<int>(index));
    }
}
