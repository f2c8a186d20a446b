// The Wine tests' hold on the session's desktop process (tests/wine/wine_harness.sh,
// keep_desktop). Wine's desktop process writes the screen's mode over the
// display's registry mode as it starts, and it ends with the session's last
// program: a test that sets the registry mode and then starts the game would
// see the game's start undo it. This program asks for the desktop, which waits
// until the desktop process is ready, says "ready" and stays until it is ended.
#include <windows.h>

#include <cstdio>

int main() {
    if (GetDesktopWindow() == nullptr) return 1;
    std::puts("ready");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
