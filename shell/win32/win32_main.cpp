// The Windows program: entry, main window and its window procedure.
// Every frame is one paint message; the paint handler never validates the
// window, so Windows keeps sending paint messages whenever the queue is empty.
//
//   korvada.exe LAUNCHCODE            run from the folder that holds the pictures and sounds
//   korvada.exe --window LAUNCHCODE   the same in an ordinary window of the code's size
//
// Exit codes: 0 after a normal end, 1 for a rejected launch code, 2 when the
// game could not start (no window, pixel format or OpenGL context, the reason
// on stderr) or the display refused the game's mode.
//
// What this program does (Win32, opengl32 and glu32, winmm):
// - full screen: a popup window over the display switched to the chosen size
//   at the desktop's depth; on deactivation the registry's desktop mode back
//   and the window minimised (win32_display.cpp, the policy in
//   shell/display_policy.cpp);
// - or, with --window, an ordinary window on the desktop: no mode switched,
//   the picture in the game's aspect with black bars when the window is
//   resized, per-monitor DPI aware (the manifest); a deactivated window holds
//   the round still with its picture shown; closing it ends the game;
// - time away is not played: the frame clock starts afresh on activation;
// - sound: sndPlaySoundA, each cue cutting off the last;
// - keys as Windows' own virtual keys, so the keypad without NumLock is the
//   arrows and Alt chords and F10 go to Windows as system keys;
// - gamepads through XInput, loaded at the start if the system has it, read
//   once a frame while the window is active (win32_pads.cpp);
// - the round's catch kept in the table of best catches when it beats the
//   best for its number of bottles (%APPDATA%\Korvada\best-catches.txt);
// - error boxes in UTF-16, so the Czech texts read right in any code page.
// What it lacks: waiting for the display's refresh (it draws as fast as it
// can), touch; the mouse does nothing.

#include <windows.h>

#include <cstdio>
#include <string>

#include "core/best_catches.h"
#include "core/game.h"
#include "core/settings.h"
#include "render/scene.h"
#include "shell/frame.h"
#include "shell/win32/win32_pads.h"
#include "shell/win32/win32_places.h"
#include "shell/win32/win32_shell.h"

namespace {
// Constructed before WinMain runs: the frame clock and the random generator
// are ready before the launch code is even read.
Game game;
Win32Shell shell;
GameSettings launchSettings;
HWND mainWindow = nullptr;

// The best catches, offered the round's catch once it is over.
CatchStore bestCatches;

// The window timer is started at most once per process; its messages drive
// nothing, but it is killed with the window.
int timerStarted = 0;
UINT_PTR timerValue = 0;

const char* const kClassName = "MainWndClass";

LRESULT onCreate(HWND window) {
    if (!startGame(game, shell, window, launchSettings)) return -1;
    if (!timerStarted) {
        timerStarted = 1;
        timerValue = SetTimer(window, 0, 50, nullptr);
    }
    return 0;
}

// A display failure before this (a refused desktop restore as the window
// closes) keeps its exit code: the run's first code stays.
void onDestroy(HWND window) {
    if (timerStarted) KillTimer(window, timerValue);
    shutDown(game, shell);
    endRun(shell.run, kExitNormal);
}

// Time away is not played: the first frame after a return gets an ordinary
// elapsed time, not the whole absence. A held window runs frames again.
void comeBack(HWND window) {
    game.frameClock.reset();
    shell.held = false;
    InvalidateRect(window, nullptr, FALSE);
}

void onActivate(HWND window, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case WA_ACTIVE:
        // The game's mode back first: the time its switch takes is not
        // played either.
        onActivated(shell.run);
        comeBack(window);
        break;
    case WA_INACTIVE:
        // The round holds still until the window is active again: a window
        // on the desktop shows its picture meanwhile, and a full-screen one
        // goes down to the taskbar. Windows may paint a window it restores
        // before activating it; that paint must not play the time away.
        // The window closing at the end of the game is deactivated too; it
        // must not flash down to the taskbar on its way out.
        releasePads(game);
        shell.held = true;
        onDeactivated(shell.run, game.quitRequested);
        break;
    default:  // activated by a mouse click: the display and the cursor stay
        comeBack(window);
        break;
    }
}

// A held window shows its picture without a step and is validated, so that
// Windows stops asking for frames until something uncovers it.
void onPaint(HWND window) {
    if (!shell.held) {
        paintFrame(game);
        const std::string said = keepRoundsCatch(game, &bestCatches);
        if (!said.empty()) std::fprintf(stderr, "korvada: %s\n", said.c_str());
        return;
    }
    showFrame(game);
    ValidateRect(window, nullptr);
}

// Per-monitor DPI awareness: moved to a monitor of another scale, the window
// takes the size Windows suggests, so the picture keeps its physical size.
void onDpiChanged(HWND window, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return onCreate(window);
    case WM_DESTROY:
        onDestroy(window);
        return 0;
    case WM_SIZE:
        sizeView(shell, LOWORD(lParam), HIWORD(lParam));
        // A held window shows its picture at the new size too.
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_ACTIVATE:
        onActivate(window, wParam);
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(window, lParam);
        return 0;
    case WM_TIMER:
        return 0;
    case WM_PAINT:
        // Pads are read only by the window the player is playing in.
        if (GetActiveWindow() == window) pollPads(game);
        onPaint(window);
        return 0;
    case WM_KEYDOWN:
        if (game.onKeyDown(static_cast<int32_t>(wParam))) InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_KEYUP:
        game.onKeyUp(static_cast<int32_t>(wParam));
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

int registerWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.style = 0;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));  // the game's own (korvada_icon.rc)
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 0));
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
}
// A decorated, resizable window whose client area has the game's size in the
// desktop's own units, where Windows places new windows. On a scaled monitor
// (200 %) that is twice as many pixels each way, and the game draws at the
// window's own pixels: the program is DPI-aware by its manifest, so Windows
// does not stretch a smaller picture.
HWND createOrdinaryWindow(HINSTANCE instance) {
    HWND window = CreateWindowExA(0, kClassName, "Korvada", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    const UINT dpi = GetDpiForWindow(window);
    const Resolution size = resolutionOf(launchSettings);
    RECT frame{0, 0, MulDiv(size.width, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI),
               MulDiv(size.height, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI)};
    AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, dpi);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return window;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int) {
    // mingw-w64's start-up code splits lpCmdLine by its own quoting rules;
    // the launch code is read from the raw command line instead, the way
    // Windows itself hands the tail to a program.
    std::string tail = windowsCommandTail(GetCommandLineA());
    shell.inWindow = takeWindowOption(&tail);
    if (!decodeLaunchCode(tail, &launchSettings)) return kExitBadLaunchCode;

    shell.run.steps = shell.inWindow ? windowSteps(shell) : fullScreenSteps(shell);
    bindPlatformServices(shell);
    bestCatches = {bestCatchesFile(), flushToDisk};
    if (previousInstance == nullptr && !registerWindowClass(instance)) return kExitStartFailed;
    loadXInput();
    // The creation message starts the game; a start that cannot draw refuses
    // the creation.
    mainWindow = shell.inWindow ? createOrdinaryWindow(instance)
                                : CreateWindowExA(0, kClassName, "Korvada", WS_POPUP, 10, 10, 800, 600, nullptr,
                                                  nullptr, instance, nullptr);
    if (mainWindow == nullptr) return kExitStartFailed;

    SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(mainWindow, shell.inWindow ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
    UpdateWindow(mainWindow);

    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // Windows queues input on its own, ahead of the paint message. Wine
        // reads its X input only when a thread asks about its queue, which
        // GetMessage does once every 200 messages when a paint is always
        // waiting: asking here keeps the keys as prompt under Wine.
        GetQueueStatus(QS_INPUT);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
