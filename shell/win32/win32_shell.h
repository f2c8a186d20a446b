#pragma once
// The Windows program's own record: what Windows hands out (the window's
// device and rendering contexts, the two display modes it switches between,
// XInput's pads) and the run's end state. The game itself lives in the
// portable Game record; only this shell knows Windows.

#include <windows.h>

#include "core/best_catches.h"
#include "core/game.h"
#include "core/round_driver.h"
#include "shell/display_policy.h"
#include "shell/win32/win32_procedure.h"
#include "core/pad_mapping.h"
#include "setup/waiting_rounds.h"
#include "win32/xinput_library.h"

struct Win32Shell {
    GameSettings settings;  // the launch code's, for the start that the window's creation runs
    PIXELFORMATDESCRIPTOR pixelFormat{};
    HDC deviceContext = nullptr;
    HGLRC renderContext = nullptr;
    DEVMODEA desktopMode{};  // the registry's desktop mode, read once at the start
    DEVMODEA gameMode{};     // built once at the start, applied on every activation
    HWND window = nullptr;
    int gameWidth = 0, gameHeight = 0;  // the launch code's resolution
    RoundStart start;                    // the recording the run plays back (--watch), or its round's facts
    RoundDriver round;                   // the round, live or watched, a frame at a time
    bool toldOver = false;               // the round's end told (shell/height_line.h)
    // The messages' own state: full screen or a window (run.inWindow,
    // --window at the start), whether the round holds still, the boxes shown
    // so far and the exit code, the keys' latch.
    WindowProcedure procedure;
    bool timerStarted = false;           // the window timer, started at most once a process
    UINT_PTR timer = 0;

    // XInput, when the system has it; its pads by their slot of `pads`.
    XInputReader xinput;
    Pads pads;

    FileChange catchesFile;   // the table of best catches,
    CatchKeeper bestCatches;  // offered the round's catch once it is over
    WaitingFolder waitingPlace;  // beside it, today's rounds for the setup to send (setup/waiting_rounds.h)
    WaitingKeeper waitingRound;
};

// --- shell/win32/win32_platform.cpp -------------------------------------------

// The platform services of core/platform.h on this shell's window, for the
// Game and the display policy.
PlatformServices platformServices(Win32Shell& shell);

// --- shell/win32/win32_display.cpp --------------------------------------------

// The display steps of a popup window over the display switched to the
// game's own mode, for shell.run.fullScreen.
DisplaySteps fullScreenSteps(Win32Shell& shell);

// The display steps of an ordinary window on the desktop, for
// shell.run.window: no mode is switched and a deactivation does not
// minimise it.
DisplaySteps windowSteps(Win32Shell& shell);

// The outer size of an ordinary window whose client area has the game's
// size in the desktop's own units on the window's monitor.
SIZE ordinaryWindowSize(const Win32Shell& shell, HWND window);

// The start, run from the window's creation: contexts, display mode, then
// the game's own start. Returns 1, or 0 when nothing can be drawn (no pixel
// format, no rendering context, or it cannot be made current), with the
// reason on stderr.
int startGame(Game& game, Win32Shell& shell, HWND window, const GameSettings& settings);

// Releases what startGame acquired; leaves the display mode alone.
void shutDown(Game& game, Win32Shell& shell);

// --- shell/win32/win32_events.cpp ---------------------------------------------

// One message of the game's window to the Game's operations: its creation
// starts the game, paints run frames, keys write the key table, activation
// moves the display between the game's mode and the desktop's; the mouse does
// nothing. The rest goes to DefWindowProcW.
LRESULT handleMessage(Game& game, Win32Shell& shell, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window's steps for shell.procedure.window, and the shell actions'
// (the display policy's switch, the Pictures folder, stderr, a paint
// message after each) for shell.procedure.actions.
WindowSteps procedureSteps(Win32Shell& shell);
ShellSteps actionSteps(Win32Shell& shell);

// --- shell/win32/win32_pads.cpp -----------------------------------------------

// Gamepads through XInput, loaded when the game starts: a system without it
// (no xinput1_4.dll nor xinput9_1_0.dll) plays with the keyboard.
void loadXInput(Win32Shell& shell);

// Once a frame while the window is active (on the window's timer while the
// round is paused and draws no frames): each pad's state to the game.
void pollPads(Game& game, Win32Shell& shell);
