#include "win32/xinput_library.h"

namespace {
// From the system folder only: never a DLL of that name beside the program.
HMODULE loadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) >= MAX_PATH) return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    return LoadLibraryA(path);
}
}  // namespace

XInputGetStateFunction loadXInputGetState() {
    HMODULE library = loadSystemLibrary("xinput1_4.dll");
    if (library == nullptr) library = loadSystemLibrary("xinput9_1_0.dll");
    if (library == nullptr) return nullptr;
    return reinterpret_cast<XInputGetStateFunction>(reinterpret_cast<void*>(GetProcAddress(library, "XInputGetState")));
}

void readXInput(XInputReader& reader, PadState (&states)[kXInputPads]) {
    constexpr DWORD kLookForPadsMs = 1000;
    const DWORD now = GetTickCount();
    const bool look = !reader.lookedYet || now - reader.lastLook >= kLookForPadsMs;
    if (look) reader.lookedYet = true, reader.lastLook = now;
    for (DWORD index = 0; index < kXInputPads; ++index) {
        states[index] = PadState();
        if (reader.getState == nullptr || (!reader.connected[index] && !look)) continue;
        XInputState state = {};
        reader.connected[index] = reader.getState(index, &state) == ERROR_SUCCESS;
        if (reader.connected[index]) states[index] = padStateOfXInput(state);
    }
}
