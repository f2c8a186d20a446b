// The platform services of core/platform.h in the browser.

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>

#include "core/platform.h"
#include "shell/web/web_shell.h"

WebShell& webShell() {
    static WebShell shell;
    return shell;
}

void platformShowError(const char* text) {
    // The console is the browser's stderr, as on Linux.
    std::fprintf(stderr, "%s\n", text);
    webShowError(text);
}

void platformPlaySound(const char* fileName) {
    if (fileName != nullptr) webPlaySound(fileName);
}

// The browser's monotonic clock in nanoseconds, or the tests' fixed steps.
int64_t platformCounter() {
    const WebShell& shell = webShell();
    if (shell.fixedStepNanoseconds > 0) return shell.virtualCounter;
    return static_cast<int64_t>(emscripten_get_now() * 1e6);
}

int64_t platformCounterFrequency() { return 1000000000; }

// The browser shows what a frame drew once the animation frame returns.
void platformSwapBuffers() {}

void platformRequestClose() { webShell().closeRequested = true; }

// The browser's memory is one linear array: no pages to choose.
void* platformAllocatePixels(size_t byteCount) { return std::malloc(byteCount); }
