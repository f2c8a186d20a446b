// The platform services of core/platform.h in the browser.

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>

#include "core/platform.h"
#include "shell/web/web_shell.h"

namespace {
WebShell& shellOf(void* shell) { return *static_cast<WebShell*>(shell); }

void showError(void*, const char* text) {
    // The console is the browser's stderr, as on Linux.
    std::fprintf(stderr, "%s\n", text);
    webShowError(text);
}

void playSound(void*, const char* fileName) {
    if (fileName != nullptr) webPlaySound(fileName);
}

// The browser's monotonic clock in nanoseconds, or the tests' fixed steps.
int64_t counter(void* shell) {
    const WebShell& web = shellOf(shell);
    if (web.fixedStepNanoseconds > 0) return web.virtualCounter;
    return static_cast<int64_t>(emscripten_get_now() * 1e6);
}

int64_t counterFrequency(void*) { return 1000000000; }

// The browser shows what a frame drew once the animation frame returns.
void swapBuffers(void*) {}

void requestClose(void* shell) { shellOf(shell).closeRequested = true; }

// The browser's memory is one linear array: no pages to choose.
void* allocatePixels(void*, size_t byteCount) { return std::malloc(byteCount); }
}  // namespace

PlatformServices platformServices(WebShell& shell) {
    return {&shell, showError, playSound, counter, counterFrequency, swapBuffers, requestClose, allocatePixels};
}
