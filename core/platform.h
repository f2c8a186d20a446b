#pragma once
// The few things the game needs from the platform it runs on. Each shell
// (shell/sdl, shell/win32) defines these once; tests and tools link the
// recording versions in shell/headless instead. Nothing else in the game
// knows which platform it is on.

#include <cstddef>
#include <cstdint>

// A modal error box: caption "Chyba", error icon, one OK button. The text is UTF-8.
void platformShowError(const char* text);

// Starts a sound file (bare name, looked up in the working directory) in the
// background, replacing the one still playing. Failures are silent.
void platformPlaySound(const char* fileName);

// The high-resolution counter and its counts per second.
int64_t platformCounter();
int64_t platformCounterFrequency();

// Shows the frame just drawn.
void platformSwapBuffers();

// Asks the main window to close; the shell ends the run once it has.
void platformRequestClose();

// Room for a picture's pixels, released with std::free; null when memory is
// short. The bytes are not cleared. A shell whose system can back a large
// block with large memory pages places it so: filling the ground picture on
// small pages costs thousands of page faults.
void* platformAllocatePixels(size_t byteCount);
