// The platform services of core/platform.h on SDL2, for the shell's window
// and audio device.

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "core/platform.h"
#include "shell/sdl/sdl_shell.h"

namespace {
// Set from a signal handler, which has no shell to reach.
std::atomic<bool> boxesRefused{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

// SDL shows its box in a child process of the thread that asks for it (its
// own X11 box and, should that fail, zenity) and waits for it: ends them all.
void endChildrenOf(long thread) {
    std::ifstream children("/proc/self/task/" + std::to_string(thread) + "/children");
    for (long child; children >> child;) kill(static_cast<pid_t>(child), SIGKILL);
}

SdlShell& shellOf(void* shell) { return *static_cast<SdlShell*>(shell); }

void showError(void*, const char* text) {
    // Always on stderr as well: a box may have no display to appear on, and
    // a box's text cannot be read back by anything watching the program.
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
    if (boxesRefused) return;
    // While the box waits for the player, a watch ends it once a signal has
    // asked the game to end. Without SDL's video a box still opens its own
    // connection to the display; with no display it fails at once.
    const long thread = syscall(SYS_gettid);
    std::atomic<bool> open{true};
    std::atomic<bool> watching{false};
    std::thread watch([&] {
        watching = true;
        while (open) {
            if (boxesRefused) endChildrenOf(thread);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    // The box forks: a thread still starting up may hold an allocator's lock,
    // which the box's process would then wait for in vain (AddressSanitizer's
    // allocator has no fork handler). Once the watch runs it only sleeps.
    while (!watching) std::this_thread::yield();
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Chyba", text, nullptr);
    open = false;
    watch.join();
}

void playSound(void* shell, const char* fileName) { playSoundFile(shellOf(shell), fileName); }

// The monotonic clock in nanoseconds.
int64_t counter(void*) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t counterFrequency(void*) { return 1000000000; }

void swapBuffers(void* shell) { SDL_GL_SwapWindow(shellOf(shell).window); }

void requestClose(void* shell) { shellOf(shell).closeRequested = true; }

// The pictures' pixels on large pages (sdl_large_pages.cpp).
void* allocatePixels(void*, size_t byteCount) { return allocateOnLargePages(byteCount); }
}  // namespace

void closeErrorBox() { boxesRefused = true; }

PlatformServices platformServices(SdlShell& shell) {
    return {&shell, showError, playSound, counter, counterFrequency, swapBuffers, requestClose, allocatePixels};
}
