// The game's window messages to the Game's operations, as its window
// procedure receives them. Every frame is one paint message; the paint
// handler never validates the window, so Windows keeps sending paint
// messages whenever the queue is empty.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/pause.h"
#include "core/sound_cues.h"
#include "shell/frame.h"
#include "shell/win32/win32_shell.h"

namespace {
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
    endRun(shell.run, kExitNormal);
}

// The shell's own keys: each asks for a frame, which a paused round draws
// as its paused picture.
void carryOut(Game& game, Win32Shell& shell, HWND window, ShellAction action) {
    switch (action) {
    case ShellAction::ToggleFullScreen: toggleFullScreen(shell.run, game); break;
    case ShellAction::TogglePause: togglePause(game); break;
    case ShellAction::ToggleMute:
        std::fprintf(stderr, toggleMute(game) ? "korvada: the cues are muted\n" : "korvada: the cues sound again\n");
        break;
    case ShellAction::SavePicture: savePicture(game); break;
    case ShellAction::Nothing: return;
    }
    InvalidateRect(window, nullptr, FALSE);
}

// A key message to the game's code, Windows' own virtual key, with Alt's
// state (the message's context bit) and whether the key was down before (an
// auto-repeat); where it goes is decided for every shell
// (shell/shell_keys.h). Windows gives either Enter as VK_RETURN. The game
// takes auto-repeats as further presses, like the first.
void onKey(Game& game, Win32Shell& shell, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    const int32_t key = static_cast<int32_t>(wParam);
    const KeyRoute route =
        routeKey(shell.keyLatch, key, down, (lParam & (1 << 29)) != 0, (lParam & (1 << 30)) != 0);
    carryOut(game, shell, window, route.action);
    if (!route.toGame) return;
    if (!down)
        game.onKeyUp(key);
    else if (game.onKeyDown(key))
        InvalidateRect(window, nullptr, FALSE);
}

// Time away is not played: the first frame after a return gets an ordinary
// elapsed time, not the whole absence. A held window runs frames again.
void comeBack(Game& game, HWND window) {
    game.restartFrameClock();
    InvalidateRect(window, nullptr, FALSE);
}

void onActivate(Game& game, Win32Shell& shell, HWND window, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case WA_ACTIVE:
        // The game's mode back first: the time its switch takes is not
        // played either.
        onActivated(shell.run);
        comeBack(game, window);
        break;
    case WA_INACTIVE:
        // The round holds still until the window is active again: a window
        // on the desktop shows its picture meanwhile, and a full-screen one
        // goes down to the taskbar. Windows may paint a window it restores
        // before activating it; that paint must not play the time away.
        // The window closing at the end of the game is deactivated too; it
        // must not flash down to the taskbar on its way out. Every key lets
        // go: its key-up would go to the window that has the focus now.
        releaseAllKeys(game);
        onDeactivated(shell.run, game.quitRequested);
        break;
    default:  // activated by a mouse click: the display and the cursor stay
        onActivatedByClick(shell.run);
        comeBack(game, window);
        break;
    }
}

// KORVADA_PRINT_HEIGHT (tests only): the player's place and catch on
// stdout once the round is over, as the Linux game tells them.
void tellRoundOver(const Game& game, Win32Shell& shell) {
    if (!game.gameOver || shell.toldOver || std::getenv("KORVADA_PRINT_HEIGHT") == nullptr) return;
    shell.toldOver = true;
    const Bottle& player = game.bottles[0];
    std::printf("height %.3f x %.9g y %.9g z %.9g score %d paused %d over %d\n", player.y, player.x, player.y,
                player.z, player.score, game.paused, game.gameOver);
    std::fflush(stdout);
}

// A held window, or a paused round, shows its picture without a step and is
// validated, so that Windows stops asking for frames until something
// uncovers it or the round goes on.
void onPaint(Game& game, Win32Shell& shell, HWND window) {
    if (!shell.run.held && !game.paused) {
        paintFrame(game, shell.round);
        const std::string said = offerRoundsCatch(game, shell.round, &shell.bestCatches, std::time(nullptr));
        if (!said.empty()) std::fprintf(stderr, "korvada: %s\n", said.c_str());
        tellRoundOver(game, shell);
        return;
    }
    showFrame(game);
    ValidateRect(window, nullptr);
}

// A paused round draws no frames, so the pads are read on the window's
// timer instead: Start goes on.
void onTimer(Game& game, Win32Shell& shell, HWND window) {
    if (!game.paused || shell.run.held || GetActiveWindow() != window) return;
    pollPads(game, shell);
    if (!game.paused) InvalidateRect(window, nullptr, FALSE);
}

// Per-monitor DPI awareness: moved to a monitor of another scale, the window
// takes the size Windows suggests, so the picture keeps its physical size.
void onDpiChanged(HWND window, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

LRESULT handleMessage(Game& game, Win32Shell& shell, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return onCreate(game, shell, window);
    case WM_DESTROY:
        onDestroy(game, shell, window);
        return 0;
    case WM_SIZE:
        sizeView(shell, LOWORD(lParam), HIWORD(lParam));
        // A held window shows its picture at the new size too.
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_ACTIVATE:
        onActivate(game, shell, window, wParam);
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(window, lParam);
        return 0;
    case WM_TIMER:
        // The 50 ms timer started with the window drives no frames, on
        // purpose: it has always been the game's. Frames come from the
        // paint messages alone; a paused round's pads are read here.
        onTimer(game, shell, window);
        return 0;
    case WM_PAINT:
        // Pads are read only by the window the player is playing in.
        if (GetActiveWindow() == window) pollPads(game, shell);
        onPaint(game, shell, window);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Windows' own keys go on to DefWindowProcA all the same: Alt+F4
        // closes, and the Alt let go after Alt+Enter must see its chord or
        // it opens the window menu as a lone Alt does.
        onKey(game, shell, window, message, wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSCHAR:
        // Alt+Enter's character: no menu has it, and DefWindowProcA would beep.
        if (wParam == '\r') return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
        onKey(game, shell, window, message, wParam, lParam);
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
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
