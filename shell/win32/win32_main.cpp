// The Windows program: entry, main window and its window procedure.
// Every frame is one paint message; the paint handler never validates the
// window, so Windows keeps sending paint messages whenever the queue is empty.
//
//   korvada.exe LAUNCHCODE    run from the folder that holds the pictures and sounds
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
// - sound: sndPlaySoundA, each cue cutting off the last;
// - keys as Windows' own virtual keys, so the keypad without NumLock is the
//   arrows and Alt chords and F10 go to Windows as system keys;
// - error boxes in UTF-16, so the Czech texts read right in any code page.
// What it lacks: waiting for the display's refresh (it draws as fast as it
// can), an ordinary window (it always switches the display's mode), gamepads,
// touch; the mouse does nothing.

#include <windows.h>

#include "core/game.h"
#include "core/settings.h"
#include "render/scene.h"
#include "shell/frame.h"
#include "shell/win32/win32_shell.h"

namespace {
// Constructed before WinMain runs: the frame clock and the random generator
// are ready before the launch code is even read.
Game game;
Win32Shell shell;
GameSettings launchSettings;
HWND mainWindow = nullptr;

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

void onActivate(WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case WA_ACTIVE:
        // Time away is not played: the first frame after a return gets an
        // ordinary elapsed time, not the whole absence.
        game.frameClock.reset();
        onActivated(shell.run);
        break;
    case WA_INACTIVE:
        // The window closing at the end of the game is deactivated too; it
        // must not flash down to the taskbar on its way out.
        onDeactivated(shell.run, game.quitRequested);
        break;
    default:  // activated by a mouse click: the display and the cursor stay
        game.frameClock.reset();
        break;
    }
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return onCreate(window);
    case WM_DESTROY:
        onDestroy(window);
        return 0;
    case WM_SIZE:
        setupView(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ACTIVATE:
        onActivate(wParam);
        return 0;
    case WM_TIMER:
        return 0;
    case WM_PAINT:
        paintFrame(game);
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
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 0));
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int) {
    // mingw-w64's start-up code splits lpCmdLine by its own quoting rules;
    // the launch code is read from the raw command line instead, the way
    // Windows itself hands the tail to a program.
    if (!decodeLaunchCode(windowsCommandTail(GetCommandLineA()), &launchSettings)) return kExitBadLaunchCode;

    shell.run.steps = fullScreenSteps(shell);
    bindPlatformServices(shell);
    if (previousInstance == nullptr && !registerWindowClass(instance)) return kExitStartFailed;
    // The creation message starts the game; a start that cannot draw refuses
    // the creation.
    mainWindow = CreateWindowExA(0, kClassName, "Korvada", WS_POPUP, 10, 10, 800, 600, nullptr, nullptr,
                                 instance, nullptr);
    if (mainWindow == nullptr) return kExitStartFailed;

    SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(mainWindow, SW_SHOWMAXIMIZED);
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
