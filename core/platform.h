#pragma once
// The few things the game needs from the platform it runs on, handed over at
// start as one record: a pointer to the shell's own record and the functions
// that serve the game there, each given that pointer back as its first
// argument. Each shell's main fills one in (shell/sdl, shell/win32,
// shell/web); tests, tools and benchmarks hand over the recording one
// (shell/headless). Nothing else in the game knows which platform it is on.

#include <cstddef>
#include <cstdint>

struct PlatformServices {
    void* shell = nullptr;

    // A modal error box: caption "Chyba", error icon, one OK button. The text is UTF-8.
    void (*showError)(void* shell, const char* text) = nullptr;

    // Starts a sound file (bare name, looked up in the working directory) in
    // the background, replacing the one still playing. Failures are silent.
    void (*playSound)(void* shell, const char* fileName) = nullptr;

    // The high-resolution counter and its counts per second.
    int64_t (*counter)(void* shell) = nullptr;
    int64_t (*counterFrequency)(void* shell) = nullptr;

    // Shows the frame just drawn.
    void (*swapBuffers)(void* shell) = nullptr;

    // Asks the main window to close; the shell ends the run once it has.
    void (*requestClose)(void* shell) = nullptr;

    // Room for a picture's pixels, released with std::free; null when memory
    // is short. The bytes are not cleared. A shell whose system can back a
    // large block with large memory pages places it so: filling the ground
    // picture on small pages costs thousands of page faults.
    void* (*allocatePixels)(void* shell, size_t byteCount) = nullptr;
};
