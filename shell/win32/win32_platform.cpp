// The platform services on Windows.

#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>

#include "core/platform.h"
#include "shell/win32/utf16.h"
#include "shell/win32/win32_shell.h"

namespace {
// The shell whose window the services use, set once at start.
Win32Shell* boundShell = nullptr;
}  // namespace

void bindPlatformServices(Win32Shell& shell) { boundShell = &shell; }

void platformShowError(const char* text) {
    // The texts are Czech: the wide-character box shows them as written.
    MessageBoxW(nullptr, utf16FromUtf8(text).c_str(), L"Chyba", MB_ICONERROR | MB_OK);
}

void platformPlaySound(const char* fileName) { sndPlaySoundA(fileName, SND_ASYNC); }

int64_t platformCounter() {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}

int64_t platformCounterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

void platformSwapBuffers() { SwapBuffers(boundShell->deviceContext); }

void platformRequestClose() { PostMessageA(boundShell->window, WM_CLOSE, 0, 0); }

// Large pages need a privilege a game does not hold.
void* platformAllocatePixels(size_t byteCount) { return std::malloc(byteCount); }
