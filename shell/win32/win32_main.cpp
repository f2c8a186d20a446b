// korvada.exe, the Windows program: its entry, its main window and the
// message loop. WinMain takes the launch code and the options from the raw
// command line, reads a watched recording, moves to the data folder and
// creates the window, whose creation starts the game (win32_display.cpp);
// every message then goes to the window procedure (win32_events.cpp), and
// every frame is one paint message. The README's "Windows" and "Keys,
// gamepads and touch" say what the program does for the player.

#include <windows.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "core/game.h"
#include "core/player_name.h"
#include "core/settings.h"
#include "setup/launch_settings.h"
#include "setup/setup_texts.h"
#include "setup/watching_title.h"
#include "shell/win32/win32_shell.h"
#include "win32/utf16.h"
#include "win32/win32_places.h"

namespace {
// Constructed before WinMain runs, like every static: the game's one record,
// and the shell's, which its window procedure reaches.
Game game;
Win32Shell shell;

// A Unicode window: the title holds the player's name as it was written.
const wchar_t* const kClassName = L"MainWndClass";

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return handleMessage(game, shell, window, message, wParam, lParam);
}

int registerWindowClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.style = 0;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));  // the game's own (korvada_icon.rc)
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 0));
    windowClass.lpszClassName = kClassName;
    return RegisterClassW(&windowClass) != 0;
}
// A decorated, resizable window whose client area has the game's size in the
// desktop's own units, where Windows places new windows. On a scaled monitor
// (200 %) that is twice as many pixels each way, and the game draws at the
// window's own pixels: the program is DPI-aware by its manifest, so Windows
// does not stretch a smaller picture.
HWND createOrdinaryWindow(HINSTANCE instance) {
    HWND window = CreateWindowExW(0, kClassName, L"Korvada", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    // The creation has started the game: the shell knows the game's size.
    const SIZE size = ordinaryWindowSize(shell, window);
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return window;
}

// The game reads its pictures and sounds by bare name from its working
// folder. Started from elsewhere (a command prompt, a shortcut without
// "Start in", a folder with a stray picture of ours) it moves to its own
// folder, where the installer and the zip put them; where that has not all
// of them either it stays, and each picture missing has its box.
void enterDataFolder() {
    if (holdsGameData(L".")) return;
    std::wstring program(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, &program[0], static_cast<DWORD>(program.size()))) == program.size())
        program.resize(program.size() * 2);
    if (length == 0) return;
    program.resize(length);
    const std::filesystem::path folder = std::filesystem::path(program).parent_path();
    if (holdsGameData(folder)) SetCurrentDirectoryW(folder.c_str());
}

// The options from the wide command line, in UTF-8: a recording in a folder
// of any name is found, and a name of any script is the player's. The launch
// code stays the ANSI line's, as it always was.
LaunchOptions wideLaunchOptions() {
    std::string tail = windowsCommandTail(utf8FromUtf16(GetCommandLineW()).c_str());
    LaunchOptions options = takeLaunchOptions(&tail);
    takeBareRoundFile(&tail, &options);
    return options;
}

// A round opened from Explorer ("%1" alone) is watched with the code the
// setup last played, full screen or in a window as it was.
void watchWithSavedCode(std::string* tail, LaunchOptions* options) {
    if (!takeBareRoundFile(tail, options)) return;
    const LaunchChoice saved = readSavedCode(savedChoiceFile()).choice;
    *tail = encodeLaunchCode(saved.settings);
    options->window = options->window || !saved.fullScreen;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int) {
    // mingw-w64's start-up code splits lpCmdLine by its own quoting rules;
    // the launch code is read from the raw command line instead, the way
    // Windows itself hands the tail to a program.
    const PlatformServices platform = platformServices(shell);
    game.usePlatform(platform);
    shell.procedure.run.platform = platform;
    shell.procedure.window = procedureSteps(shell);
    shell.procedure.actions = actionSteps(shell);
    shell.procedure.marks.pads = &shell.pads;
    shell.procedure.marks.texts = &languageOf(userLocaleName()).notices;
    std::string tail = windowsCommandTail(GetCommandLineA());
    LaunchOptions options = takeLaunchOptions(&tail);
    watchWithSavedCode(&tail, &options);
    shell.procedure.run.inWindow = options.window;
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
    const std::wstring title =
        options.watch ? utf16FromUtf8(watchingTitle(languageOf(userLocaleName()), watched).c_str()) : L"Korvada";

    shell.procedure.run.fullScreen = fullScreenSteps(shell);
    shell.procedure.run.window = windowSteps(shell);
    shell.catchesFile = {bestCatchesFile(), diskSteps()};
    shell.bestCatches.store = catchStoreIn(&shell.catchesFile);
    shell.waitingPlace = {waitingFolder(shell.catchesFile.file), diskSteps()};
    shell.waitingRound.store = waitingStoreIn(&shell.waitingPlace);
    enterDataFolder();
    if (previousInstance == nullptr && !registerWindowClass(instance)) return kExitStartFailed;
    loadXInput(shell);
    // The creation message starts the game; a start that cannot draw refuses
    // the creation.
    HWND mainWindow = shell.procedure.run.inWindow ? createOrdinaryWindow(instance)
                                : CreateWindowExW(0, kClassName, L"Korvada", WS_POPUP, 10, 10, 800, 600, nullptr,
                                                  nullptr, instance, nullptr);
    if (mainWindow == nullptr) return kExitStartFailed;
    SetWindowTextW(mainWindow, title.c_str());

    SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(mainWindow, shell.procedure.run.inWindow ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
    UpdateWindow(mainWindow);

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Windows queues input on its own, ahead of the paint message. Wine
        // reads its X input only when a thread asks about its queue, which
        // GetMessage does once every 200 messages when a paint is always
        // waiting: asking here keeps the keys as prompt under Wine.
        GetQueueStatus(QS_INPUT);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
