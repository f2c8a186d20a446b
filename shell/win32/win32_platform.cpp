// The platform services on Windows.

#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <string>

#include "core/platform.h"
#include "shell/win32/win32_display.h"

void platformShowError(const char* text) {
    // The texts are Czech: through the wide-character box they read right
    // whatever code page the system runs in.
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    MessageBoxW(nullptr, wide.c_str(), L"Chyba", MB_ICONERROR | MB_OK);
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

void platformSwapBuffers() { SwapBuffers(mainDisplay().deviceContext); }

void platformRequestClose() { PostMessageA(mainDisplay().window, WM_CLOSE, 0, 0); }

// Large pages need a privilege a game does not hold.
void* platformAllocatePixels(size_t byteCount) { return std::malloc(byteCount); }
