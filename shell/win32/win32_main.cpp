// The Windows program: entry, main window and its message loop. The
// window's messages are win32_events.cpp's; every frame is one paint message.
//
//   korvada.exe LAUNCHCODE            the pictures and sounds from the working folder, or
//                                     from the program's own folder when not there
//   korvada.exe --window LAUNCHCODE   the same in an ordinary window of the code's size
//   korvada.exe --watch FILE [--window] LAUNCHCODE
//                                     plays the recorded round in FILE ("quoted"
//                                     with blanks) back, seen with the code's
//                                     resolution, depth and sound
//   korvada.exe --daily [--name NAME] [--ticket T] LAUNCHCODE
//                                     today's round (UTC), the same for everyone;
//                                     NAME ("quoted" with blanks) and T go into
//                                     its recording
//
// Exit codes: 0 after a normal end, 1 for a rejected launch code or
// recording, 2 when the game could not start (no window, pixel format or
// OpenGL context, the reason on stderr) or the display refused the game's
// mode.
//
// What this program does (Win32, opengl32 and glu32, winmm):
// - full screen: a popup window over the display switched to the chosen size
//   at the desktop's depth; on deactivation the registry's desktop mode back
//   and the window minimised (win32_display.cpp, the policy in
//   shell/display_policy.cpp);
// - or, with --window, an ordinary window on the desktop: no mode switched,
//   the picture in the game's aspect with black bars when the window is
//   resized, per-monitor DPI aware (the manifest); a deactivated window shows
//   its picture; closing it ends the game;
// - Alt+Enter (either Enter) and F11 during a round: full screen to an
//   ordinary window of the game's size, the desktop's mode back, and back
//   with the start's switch; a refused switch plays on in the window with a
//   line on stderr. The chord's key reaches nothing until let go (the end
//   screen's Enter), and the switch's time is not played (the policy in
//   shell/display_policy.cpp and shell/shell_keys.cpp, the steps in
//   win32_display.cpp);
// - time away is not played: a deactivated window, full screen or not,
//   holds the round still, and the frame clock starts afresh on activation;
// - P and Pause (and a pad's Start) pause the round and go on: the picture
//   dimmed under the pause mark, no frames drawn meanwhile (the pads read on
//   the window's timer); a pause outlasts a deactivation. M mutes the cues
//   for the run; F12 saves the frame as a PNG in the player's Pictures
//   folder (win32_display.cpp, the folder asked of shell32 loaded then);
// - every round records itself, and a new best catch keeps its recording
//   beside the table; --watch plays a recording back, the player's keys
//   doing nothing but Esc, and offers its catch to nobody;
// - sound: sndPlaySoundA, each cue cutting off the last (win32_platform.cpp);
// - keys as Windows' own virtual keys, so the keypad without NumLock is the
//   arrows and Alt chords and F10 go to Windows as system keys;
// - gamepads through XInput, loaded at the start if the system has it, read
//   once a frame while the window is active (win32_pads.cpp);
// - a lost activation lets go of every key and pad: their key-ups go to the
//   window that has the focus (win32_events.cpp);
// - the round's catch kept in the table of best catches when it beats the
//   best for its number of bottles (%APPDATA%\Korvada\best-catches.txt);
// - error boxes in UTF-16, so the Czech texts read right in any code page.
// What it lacks: waiting for the display's refresh (it draws as fast as it
// can), touch; the mouse does nothing.

#include <windows.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "core/game.h"
#include "core/player_name.h"
#include "core/settings.h"
#include "shell/win32/win32_shell.h"
#include "win32/utf16.h"
#include "win32/win32_places.h"

namespace {
// Constructed before WinMain runs, like every static: the game's one record,
// and the shell's, which its window procedure reaches.
Game game;
Win32Shell shell;

const char* const kClassName = "MainWndClass";

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return handleMessage(game, shell, window, message, wParam, lParam);
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
    // The creation has started the game: the shell knows the game's size.
    const SIZE size = ordinaryWindowSize(shell, window);
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return window;
}

// The game reads its pictures and sounds by bare name from its working
// folder. Started from elsewhere (a command prompt, a shortcut without
// "Start in") it moves to its own folder, where the installer and the zip
// put them; where that has none either it stays, and each picture missing
// has its box.
void enterDataFolder() {
    std::error_code error;
    if (std::filesystem::is_regular_file(L"air.bmp", error)) return;
    std::wstring program(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, &program[0], static_cast<DWORD>(program.size()))) == program.size())
        program.resize(program.size() * 2);
    if (length == 0) return;
    program.resize(length);
    const std::filesystem::path folder = std::filesystem::path(program).parent_path();
    if (std::filesystem::is_regular_file(folder / L"air.bmp", error)) SetCurrentDirectoryW(folder.c_str());
}

// The options from the wide command line, in UTF-8: a recording in a folder
// of any name is found, and a name of any script is the player's. The launch
// code stays the ANSI line's, as it always was.
LaunchOptions wideLaunchOptions() {
    std::string tail = windowsCommandTail(utf8FromUtf16(GetCommandLineW()).c_str());
    return takeLaunchOptions(&tail);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int) {
    // mingw-w64's start-up code splits lpCmdLine by its own quoting rules;
    // the launch code is read from the raw command line instead, the way
    // Windows itself hands the tail to a program.
    const PlatformServices platform = platformServices(shell);
    game.usePlatform(platform);
    shell.run.platform = platform;
    std::string tail = windowsCommandTail(GetCommandLineA());
    const LaunchOptions options = takeLaunchOptions(&tail);
    shell.run.inWindow = options.window;
    if (options.watch && options.watchFile.empty()) tail.clear();  // refused as a launch code
    if (!decodeLaunchCode(platform, tail, &shell.settings)) return kExitBadLaunchCode;
    const LaunchOptions wide = wideLaunchOptions();
    std::string trouble;
    if (!roundStartOf(wide, std::time(nullptr), &shell.start, &trouble)) {
        platform.showError(platform.shell, (std::string(kRefusedNameMessage) + "\n" + trouble).c_str());
        return kExitBadLaunchCode;
    }
    static RoundRecording watched;
    if (options.watch) {
        if (!readRecordingFile(std::filesystem::u8path(wide.watchFile), &watched, &trouble)) {
            platform.showError(platform.shell, (std::string(kRefusedRecordingMessage) + "\n" + trouble).c_str());
            return kExitBadLaunchCode;
        }
        shell.start.watched = &watched;
    }

    shell.run.fullScreen = fullScreenSteps(shell);
    shell.run.window = windowSteps(shell);
    shell.catchesFile = {bestCatchesFile(), diskSteps()};
    shell.bestCatches.store = catchStoreIn(&shell.catchesFile);
    enterDataFolder();
    if (previousInstance == nullptr && !registerWindowClass(instance)) return kExitStartFailed;
    loadXInput(shell);
    // The creation message starts the game; a start that cannot draw refuses
    // the creation.
    HWND mainWindow = shell.run.inWindow ? createOrdinaryWindow(instance)
                                : CreateWindowExA(0, kClassName, "Korvada", WS_POPUP, 10, 10, 800, 600, nullptr,
                                                  nullptr, instance, nullptr);
    if (mainWindow == nullptr) return kExitStartFailed;

    SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(mainWindow, shell.run.inWindow ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
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
