#pragma once
// The window procedure's keys, activation and timer: the part of the Windows
// program's message handling that needs no Windows header, written on
// Windows' own message numbers and bits, so that the native tests run it
// with recording steps. win32_events.cpp hands each of these messages here,
// and the window's own steps in a WindowSteps.

#include <cstdint>

#include "shell/display_policy.h"
#include "shell/shell_actions.h"
#include "shell/shell_keys.h"

struct Game;

// winuser.h's values, fixed since Windows 1 (win32_events.cpp checks them
// against the header).
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmSysKeyDown = 0x0104;
constexpr uint32_t kWmSysKeyUp = 0x0105;
// WM_ACTIVATE's low word.
constexpr uint32_t kWaInactive = 0;
constexpr uint32_t kWaActive = 1;
constexpr uint32_t kWaClickActive = 2;
// A key message's lParam: Alt held (its context code), and the key down
// before this message (an auto-repeat).
constexpr int64_t kKeyAltHeld = int64_t{1} << 29;
constexpr int64_t kKeyWasDown = int64_t{1} << 30;

// What the procedure asks of the game's window.
struct WindowSteps {
    void* shell = nullptr;                                // the shell's record, handed back to each step
    void (*redraw)(void* shell) = nullptr;                // one more paint message (InvalidateRect)
    int32_t (*active)(void* shell) = nullptr;             // the window is Windows' active window
    void (*readPads)(void* shell, Game& game) = nullptr;  // XInput's pads to the game
};

// What the procedure keeps between messages, none of it a Windows type: the
// window's steps and the shell actions' (shell/shell_actions.h), full screen
// or a window with whether the round holds still (shell/display_policy.h),
// the key of the last shell action while it is held, and the shell's marks
// (the fast watch, the notices: shell/shell_marks.h).
struct WindowProcedure {
    WindowSteps window;
    ShellSteps actions;
    DisplayRun run;
    KeyLatch keyLatch;
    ShellMarks marks;
};

// WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP: Windows' virtual key
// (wParam) to the game's key table or to a shell action, decided for every
// shell (shell/shell_keys.h). The game takes auto-repeats as further presses.
void onKeyMessage(Game& game, WindowProcedure& procedure, uint32_t message, uint64_t wParam, int64_t lParam);

// WM_ACTIVATE. Losing it, every key and pad lets go (their key-ups go to the
// window that has the focus now) and the round holds still; back, the
// frame clock starts afresh, so the time away is not played.
void onActivateMessage(Game& game, WindowProcedure& procedure, uint64_t wParam);

// The window's 50 ms timer: a paused round draws no frames, so its pads are
// read here, and only while the window is active and not held (a pad's
// Start then goes on).
void onTimerMessage(Game& game, WindowProcedure& procedure);

// A paint message's pads: read only by the window the player is playing in.
void readPadsForPaint(Game& game, WindowProcedure& procedure);
