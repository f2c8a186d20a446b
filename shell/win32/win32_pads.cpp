#include "shell/win32/win32_pads.h"

#include <windows.h>

#include "shell/xinput_pad.h"

namespace {
using XInputGetStateFunction = DWORD(WINAPI*)(DWORD userIndex, XInputState* state);

XInputGetStateFunction xinputGetState = nullptr;
Pads pads;

constexpr DWORD kXInputPads = 4;
bool connected[kXInputPads] = {};

// Asking XInput about a slot without a pad costs far more than reading one
// that has a pad, so empty slots are looked at only once a second: a pad
// plugged in is noticed within that second.
constexpr DWORD kLookForPadsMs = 1000;
DWORD lastLook = 0;
bool lookedYet = false;

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

void loadXInput() {
    HMODULE library = loadSystemLibrary("xinput1_4.dll");
    if (library == nullptr) library = loadSystemLibrary("xinput9_1_0.dll");
    if (library == nullptr) return;
    xinputGetState =
        reinterpret_cast<XInputGetStateFunction>(reinterpret_cast<void*>(GetProcAddress(library, "XInputGetState")));
}

void pollPads(Game& game) {
    if (xinputGetState == nullptr) return;
    const DWORD now = GetTickCount();
    const bool look = !lookedYet || now - lastLook >= kLookForPadsMs;
    if (look) lookedYet = true, lastLook = now;
    for (DWORD index = 0; index < kXInputPads; ++index) {
        if (!connected[index] && !look) continue;
        XInputState state = {};
        connected[index] = xinputGetState(index, &state) == ERROR_SUCCESS;
        if (connected[index])
            updatePad(game, pads, static_cast<int>(index), padStateOfXInput(state));
        else
            losePad(game, pads, static_cast<int>(index));
    }
}
