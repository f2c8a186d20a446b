// The game's window messages to the Game's operations, as its window
// procedure receives them. Every frame is one paint message; the paint
// handler never validates the window, so Windows keeps sending paint
// messages whenever the queue is empty.

#include <cstdio>
#include <ctime>
#include <string>

#include "shell/frame.h"
#include "shell/height_line.h"
#include "shell/win32/win32_procedure.h"
#include "shell/win32/win32_shell.h"
#include "win32/win32_places.h"

static_assert(kWmKeyDown == WM_KEYDOWN && kWmKeyUp == WM_KEYUP && kWmSysKeyDown == WM_SYSKEYDOWN &&
                  kWmSysKeyUp == WM_SYSKEYUP,
              "the key messages as winuser.h numbers them");
static_assert(kWaInactive == WA_INACTIVE && kWaActive == WA_ACTIVE && kWaClickActive == WA_CLICKACTIVE,
              "the activation states as winuser.h numbers them");

namespace {
Win32Shell& shellOf(void* shell) { return *static_cast<Win32Shell*>(shell); }

LRESULT onCreate(Game& game, Win32Shell& shell, HWND window) {
    if (!startGame(game, shell, window, shell.settings)) return -1;
    if (!shell.timerStarted) {
        shell.timerStarted = true;
        shell.timer = SetTimer(window, 0, 50, nullptr);
    }
    return 0;
}

// A display failure before this (a refused desktop restore as the window
// closes) keeps its exit code: the run's first code stays.
void onDestroy(Game& game, Win32Shell& shell, HWND window) {
    if (shell.timerStarted) KillTimer(window, shell.timer);
    shutDown(game, shell);
    endRun(shell.procedure.run, kExitNormal);
}

// A held window, or a paused round, shows its picture without a step and is
// validated, so that Windows stops asking for frames until something
// uncovers it or the round goes on.
void onPaint(Game& game, Win32Shell& shell, HWND window) {
    readPadsForPaint(game, shell.procedure);
    if (framePlays(shell.procedure.run, game)) {
        paintFrame(game, shell.round, shell.procedure.marks);
        for (const std::string& said :
             {offerRoundsCatch(game, shell.round, &shell.bestCatches, std::time(nullptr)),
              leaveRoundWaiting(game, shell.round, &shell.waitingRound, std::time(nullptr))})
            if (!said.empty()) std::fprintf(stderr, "korvada: %s\n", said.c_str());
        shell.procedure.marks.newBest = shell.bestCatches.newBest;
        printHeightLineOnceOver(game, &shell.toldOver);
        return;
    }
    showFrame(game, shell.procedure.marks);
    ValidateRect(window, nullptr);
}

// Per-monitor DPI awareness: moved to a monitor of another scale, the window
// takes the size Windows suggests, so the picture keeps its physical size.
void onDpiChanged(HWND window, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

WindowSteps procedureSteps(Win32Shell& shell) {
    WindowSteps steps;
    steps.shell = &shell;
    steps.redraw = [](void* self) { InvalidateRect(shellOf(self).window, nullptr, FALSE); };
    steps.active = [](void* self) -> int32_t { return GetActiveWindow() == shellOf(self).window; };
    steps.readPads = [](void* self, Game& game) { pollPads(game, shellOf(self)); };
    return steps;
}

// Each action asks for a frame, which a paused round draws as its paused picture.
ShellSteps actionSteps(Win32Shell& shell) {
    ShellSteps steps;
    steps.shell = &shell;
    steps.toggleFullScreen = [](void* self, Game& game) { toggleFullScreen(shellOf(self).procedure.run, game); };
    steps.keepPicture = [](void*, const FramePicture& picture, std::string* name, std::string* why) {
        return savePictureIn(picturesFolder(), picture, std::time(nullptr), name, why);
    };
    steps.say = [](void*, const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    steps.redraw = [](void* self) { InvalidateRect(shellOf(self).window, nullptr, FALSE); };
    return steps;
}

LRESULT handleMessage(Game& game, Win32Shell& shell, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return onCreate(game, shell, window);
    case WM_DESTROY:
        onDestroy(game, shell, window);
        return 0;
    case WM_SIZE:
        sizeView(shell.procedure.run, Resolution{shell.gameWidth, shell.gameHeight}, LOWORD(lParam), HIWORD(lParam));
        // A held window shows its picture at the new size too.
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_ACTIVATE:
        onActivateMessage(game, shell.procedure, wParam);
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(window, lParam);
        return 0;
    case WM_TIMER:
        // The 50 ms timer started with the window drives no frames, on
        // purpose: it has always been the game's. Frames come from the
        // paint messages alone; a paused round's pads are read here.
        onTimerMessage(game, shell.procedure);
        return 0;
    case WM_PAINT:
        onPaint(game, shell, window);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Windows' own keys go on to DefWindowProcW all the same: Alt+F4
        // closes, and the Alt let go after Alt+Enter must see its chord or
        // it opens the window menu as a lone Alt does.
        onKeyMessage(game, shell.procedure, message, wParam, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_SYSCHAR:
        // Alt+Enter's character: no menu has it, and DefWindowProcW would beep.
        if (wParam == '\r') return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
        onKeyMessage(game, shell.procedure, message, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
