#pragma once
// The Windows side of the game: the window's device and rendering contexts
// and the two display modes it switches between. The portable game state
// stays in the Game record; this record holds only what Windows hands out.

#include <windows.h>

#include "core/game.h"
#include "shell/display_policy.h"

struct Win32Display {
    PIXELFORMATDESCRIPTOR pixelFormat{};
    HDC deviceContext = nullptr;
    HGLRC renderContext = nullptr;
    DEVMODEA desktopMode{};  // the registry's desktop mode, read once at the start
    DEVMODEA gameMode{};     // built once at the start, applied on every activation
    HWND window = nullptr;
    int gameWidth = 0, gameHeight = 0;  // the launch code's resolution
    DisplayRun run;                      // the boxes shown so far and the exit code

    // The start sequence, run from the window's creation: contexts, display
    // mode, then the game's own start. Returns 1, or 0 when nothing can be
    // drawn (no rendering context, or it cannot be made current).
    int startGame(Game& game, HWND newWindow, GameSettings settings);
    int selectPixelFormat(const GameSettings& settings);
    // Releases what startGame acquired; leaves the display mode alone.
    void shutDown(Game& game);
};

// The program's one display record, which the platform services use.
Win32Display& mainDisplay();

// The command line asked for the game in a window (--window CODE).
bool launchedInWindow();

// Fills the pixel-format request: double-buffered RGBA with a 32-bit depth
// buffer, 16 colour bits for colour code 'H', else 32.
PIXELFORMATDESCRIPTOR pixelFormatFor(const GameSettings& settings);

// The game's full-screen mode: the given size at the desktop's depth, and
// nothing else requested.
DEVMODEA gameModeFor(const DEVMODEA& desktop, int width, int height);
