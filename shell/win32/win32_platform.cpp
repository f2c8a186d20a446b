// The platform services of core/platform.h on Windows, for the shell's window.

#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>

#include "core/platform.h"
#include "shell/win32/win32_shell.h"
#include "win32/utf16.h"

namespace {
Win32Shell& shellOf(void* shell) { return *static_cast<Win32Shell*>(shell); }

void showError(void*, const char* text) {
    // The texts are Czech: the wide-character box shows them as written.
    MessageBoxW(nullptr, utf16FromUtf8(text).c_str(), L"Chyba", MB_ICONERROR | MB_OK);
}

void playSound(void*, const char* fileName) { sndPlaySoundA(fileName, SND_ASYNC); }

int64_t counter(void*) {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}

int64_t counterFrequency(void*) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

void swapBuffers(void* shell) { SwapBuffers(shellOf(shell).deviceContext); }

void requestClose(void* shell) { PostMessageW(shellOf(shell).window, WM_CLOSE, 0, 0); }

// Large pages need a privilege a game does not hold.
void* allocatePixels(void*, size_t byteCount) { return std::malloc(byteCount); }
}  // namespace

PlatformServices platformServices(Win32Shell& shell) {
    return {&shell, showError, playSound, counter, counterFrequency, swapBuffers, requestClose, allocatePixels};
}
