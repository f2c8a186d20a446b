// korvada, the Linux program: its entry and its loop. main() takes the
// arguments (--help, --version, --window, --watch FILE and the launch code),
// reads a watched recording, moves to the data folder, opens the display and
// starts the game (sdl_display.cpp); the loop then hands every event to the
// game (sdl_events.cpp) and draws a frame while the window can be seen, or
// waits; every end, a close, the end screen's, a signal or a refused mode,
// gives the desktop its mode back and everything the start took. The
// README's "Linux" and "Keys, gamepads and touch" say what the program does
// for the player, its options and exit codes.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "core/best_catches.h"
#include "core/game.h"
#include "core/player_name.h"
#include "core/round_driver.h"
#include "korvada_icon_pixels.h"
#include "korvada_version.h"
#include "shell/display_policy.h"
#include "shell/frame.h"
#include "shell/height_line.h"
#include "linux/linux_places.h"
#include "shell/sdl/sdl_shell.h"
#include "linux/sdl_video_driver.h"
#include "setup/launch_settings.h"
#include "setup/setup_texts.h"
#include "setup/waiting_rounds.h"
#include "setup/watching_title.h"

namespace {
// The one game record, constructed before main() like every static, and
// the driver of its round.
Game game;
RoundDriver driver;

// The table of best catches, offered the round's catch once it is over;
// beside it the rounds of today's that wait for the settings program to
// send them to a board (setup/waiting_rounds.h).
FileChange catchesFile;
CatchKeeper bestCatches;
WaitingFolder waitingPlace;
WaitingKeeper waitingRound;

void keepCatchOnceOver(ShellMarks& marks) {
    for (const std::string& said : {offerRoundsCatch(game, driver, &bestCatches, std::time(nullptr)),
                                    leaveRoundWaiting(game, driver, &waitingRound, std::time(nullptr))})
        if (!said.empty()) std::fprintf(stderr, "korvada: %s\n", said.c_str());
    marks.newBest = bestCatches.newBest;
}

// A termination signal ends the game as its window's close does, so that the
// desktop gets its mode back: a mode left switched outlives the program.
volatile std::sig_atomic_t endSignalled = 0;

// An error box waits for the player and would keep the game, and the mode it
// switched to, until then: the signal closes it, and the run ends as the
// box's own end would have it, with its exit code.
void onEndSignal(int) {
    endSignalled = 1;
    closeErrorBox();
}

// KORVADA_PRINT_HEIGHT: the player's height on SIGUSR1 (tests only).
volatile std::sig_atomic_t heightAsked = 0;

void onHeightSignal(int) { heightAsked = 1; }

void catchSignal(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

void catchEndSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) catchSignal(signal, onEndSignal);
    if (heightLineAsked()) catchSignal(SIGUSR1, onHeightSignal);
}

// The height line (shell/height_line.h) on SIGUSR1, and once the round is over.
void printHeightIfAsked() {
    static bool toldOver = false;
    printHeightLineOnceOver(game, &toldOver);
    if (!heightAsked) return;
    heightAsked = 0;
    printHeightLine(game);
}

// SDL falls back to its invisible drivers when there is no display; a game
// nobody can see has not started. Asking for one by name is still allowed.
bool openDisplay(SdlShell& shell) {
    // The window's class, as the setup dialog's and the desktop entry's
    // StartupWMClass: a dock shows one Korvada. SDL 2 reads it from the
    // environment; a player's own setting stays.
    setenv("SDL_VIDEO_X11_WMCLASS", "korvada", 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "korvada", 0);
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");  // focus loss is handled by the game
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");           // and so are the signals
    std::string why;
    if (!chooseVideoDriver(&why)) {
        std::fprintf(stderr, "korvada: no display: %s\n", why.c_str());
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "korvada: no display: %s\n", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible =
        driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (invisible && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
        std::fprintf(stderr, "korvada: no display (is DISPLAY or WAYLAND_DISPLAY set?)\n");
        return false;
    }
    shell.videoReady = true;
    return true;
}

// The game's own icon on its window, not the window manager's generic one.
void useGameIcon(SDL_Window* window) {
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(kIconPixels), kIconPixelSize,
                                                           kIconPixelSize, 32, kIconPixelSize * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon == nullptr) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

bool ending(const SdlShell& shell) { return shell.run.quitPosted || shell.closeRequested || endSignalled; }

bool windowVisible(const SdlShell& shell) {
    return (SDL_GetWindowFlags(shell.window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

// Sound and pads wait for the first frame: it needs neither, and an audio
// server may take tens of milliseconds to answer (a frozen one, for ever:
// the sound is opened on a thread of its own). The pads already plugged in
// arrive as events on the next pass.
void openDevicesOnce(SdlShell& shell) {
    if (shell.devicesOpen) return;
    shell.devicesOpen = true;
    openPads();
    if (game.settings.sound) openSound(shell);
}

// All pending events, then one frame while the window can be seen. A hidden
// or minimised window waits for the next event instead: no frames, and the
// processor woken only to look for a signal. A window held still (no focus)
// or a paused round waits too, and shows its picture again after whatever
// woke it (an expose, a resize, the pause itself), without a step.
void runLoop(SdlShell& shell) {
    SDL_Event event;
    while (!ending(shell)) {
        printHeightIfAsked();
        const bool waiting = !windowVisible(shell) || !framePlays(shell.run, game);
        // A notice fading on a picture held still is drawn anew meanwhile.
        const bool fading = marksChanging(shell.marks, game);
        const bool woken = waiting && SDL_WaitEventTimeout(&event, fading ? 40 : 250);
        const int32_t wasPaused = game.paused;
        if (woken) handleEvent(game, shell, event);
        while (!shell.run.quitPosted && SDL_PollEvent(&event)) handleEvent(game, shell, event);
        if (ending(shell) || !windowVisible(shell)) continue;
        if (framePlays(shell.run, game)) {
            paintFrame(game, driver, shell.marks);
            keepCatchOnceOver(shell.marks);
            openDevicesOnce(shell);
            keepSoundAlive(shell);
        } else if (woken || fading || game.paused != wasPaused)
            showFrame(game, shell.marks);
    }
}

// Every end the loop comes to: the window loses the focus as it goes (cursor
// back, desktop mode back, no minimising; a refusal there still has its box
// and exit code 2), then everything the start took is given back.
int finishRun(SdlShell& shell) {
    game.quitRequested = 1;
    onDeactivated(shell.run, game.quitRequested);
    endRun(shell.run, kExitNormal);
    shutDown(game, shell);
    return shell.run.exitCode;
}

// The game reads its pictures and sounds by bare name from its working
// folder. Started anywhere else (a terminal's folder, one with a stray
// picture of ours), it moves to its own data folder; where none holds all of
// the data it stays, and each picture missing has its box.
void enterDataFolder() {
    if (holdsGameData(".")) return;
    for (const std::filesystem::path& folder : programDataFolders())
        if (holdsGameData(folder) && chdir(folder.c_str()) == 0) return;
}

// The Czech message names the Windows setup; its second line says what to
// run here.
std::string badLaunchCodeHere() { return std::string(kBadLaunchCodeMessage) + "\nV Linuxu spusťte korvada-setup."; }

int usage() {
    std::printf(
        "usage: korvada LAUNCHCODE\n"
        "       korvada --window LAUNCHCODE\n"
        "       korvada --watch FILE [--window] LAUNCHCODE\n"
        "       korvada --daily [--window] [--name NAME] [--ticket TICKET] LAUNCHCODE\n"
        "       korvada [--window] FILE.kvr\n"
        "Plays one round of Korvada full screen, or in a window, with the settings of\n"
        "the five-character launch code. It reads its pictures and sounds from the\n"
        "folder it is started in, or else from its own data folder.\n");
    // The sizes from the game's own table, which the tests read here too.
    std::printf("The code's first character chooses the size:\n");
    for (int row = 0; row < kResolutionCount; ++row)
        std::printf("%s %d %dx%d", row ? "," : "", row, resolutionTable[row].width, resolutionTable[row].height);
    std::printf(
        ".\n"
        "--watch plays the recorded round in FILE back (the best round of each number\n"
        "of bottles is kept as ~/.local/share/korvada/best-round-N.kvr), seen with the\n"
        "code's resolution, colour depth and sound; Esc ends it. A FILE alone, as the\n"
        "desktop opens a round, is watched with the code korvada-setup last played.\n"
        "--daily plays today's round, the same for everyone (UTC): eight bottles, the\n"
        "code's resolution, depth, blending and sound. --name is the player's name in\n"
        "the round's recording, --ticket a board's.\n"
        "Keys: arrows steer, 1-6 camera, Esc ends the round; Space, Esc or Enter\n"
        "leave the end screen; Alt+Enter or F11 full screen or a window; P, Pause or\n"
        "a pad's Start pause; M mutes the cues; F12 saves the picture in your\n"
        "pictures folder.\n"
        "korvada-setup chooses the settings and starts the game.\n"
        "Exit status: 0 after a normal end, 1 for a bad launch code or recording, 2\n"
        "when the game could not start or the display refused its mode.\n");
    return 0;
}

// "--watch FILE", "--name NAME" and "--ticket T" anywhere before the code,
// as separate arguments, before they are joined: a path or a name may hold
// blanks. Returns the other arguments; false when an option has no value.
bool takeValueArguments(int argc, char** argv, std::vector<const char*>* rest, LaunchOptions* options) {
    rest->assign(argv, argv + 1);
    const std::pair<const char*, std::string*> values[] = {
        {kWatchOption, &options->watchFile}, {kNameOption, &options->name}, {kTicketOption, &options->ticket}};
    for (int i = 1; i < argc; ++i) {
        std::string* value = nullptr;
        for (const auto& option : values)
            if (std::strcmp(argv[i], option.first) == 0) value = option.second;
        if (value == nullptr) {
            rest->push_back(argv[i]);
            continue;
        }
        if (i + 1 >= argc || argv[i + 1][0] == '\0') return false;
        *value = argv[++i];
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) return usage();
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("korvada %s\n", KORVADA_VERSION_STRING);
        return 0;
    }
    // Caught from the start: a signal while the bad-code box is open ends the
    // game with that box's code too.
    catchEndSignals();
    SdlShell shell;
    shell.marks.pads = &shell.pads;
    shell.marks.texts = &languageOf(localeName()).notices;
    const PlatformServices platform = platformServices(shell);
    game.usePlatform(platform);
    shell.run.platform = platform;
    std::vector<const char*> arguments;
    LaunchOptions separate;
    const bool valuesNamed = takeValueArguments(argc, argv, &arguments, &separate);
    std::string tail = joinArguments(static_cast<int>(arguments.size()), arguments.data());
    LaunchOptions options = takeLaunchOptions(&tail);
    shell.run.inWindow = options.window;
    for (auto value : {&LaunchOptions::watchFile, &LaunchOptions::name, &LaunchOptions::ticket})
        if (!(separate.*value).empty()) options.*value = separate.*value;
    options.watch = options.watch || !separate.watchFile.empty();
    if (takeBareRoundFile(&tail, &options)) {
        const LaunchChoice saved = readSavedCode(savedCodeFile()).choice;
        tail = encodeLaunchCode(saved.settings);
        shell.run.inWindow = shell.run.inWindow || !saved.fullScreen;
    }
    GameSettings settings;
    if ((options.watch && options.watchFile.empty()) || !valuesNamed || !parseLaunchCode(tail, &settings)) {
        platform.showError(platform.shell, badLaunchCodeHere().c_str());
        return kExitBadLaunchCode;
    }
    RoundStart start;
    std::string trouble;
    if (!roundStartOf(options, std::time(nullptr), &start, &trouble)) {
        platform.showError(platform.shell, (std::string(kRefusedNameMessage) + "\n" + trouble).c_str());
        return kExitBadLaunchCode;
    }
    RoundRecording watched;
    if (options.watch && !readRecordingFile(options.watchFile, &watched, &trouble)) {
        platform.showError(platform.shell, (std::string(kRefusedRecordingMessage) + "\n" + trouble).c_str());
        return kExitBadLaunchCode;
    }
    if (options.watch) start.watched = &watched;
    const std::string title = options.watch ? watchingTitle(languageOf(localeName()), watched) : "Korvada";

    catchesFile = {bestCatchesFile(), diskSteps()};
    bestCatches.store = catchStoreIn(&catchesFile);
    waitingPlace = {waitingFolder(catchesFile.file), diskSteps()};
    waitingRound.store = waitingStoreIn(&waitingPlace);
    enterDataFolder();
    if (!openDisplay(shell)) {
        SDL_Quit();
        return kExitStartFailed;
    }
    shell.run.fullScreen = fullScreenSteps(shell);
    shell.run.window = windowSteps(shell);
    if (startGame(game, driver, shell, settings, start) != StartResult::Started) {
        SDL_Quit();
        return kExitStartFailed;
    }
    useGameIcon(shell.window);
    setWindowTitle(shell.window, title);
    if (!shell.run.quitPosted) showGameWindow(shell);
    runLoop(shell);
    const int code = finishRun(shell);
    // Everything is given back but a sound device that never opened or
    // closed, which SDL_Quit would wait for: the process ends without it.
    if (shell.soundStuck) {
        std::fflush(nullptr);
        _exit(code);
    }
    SDL_Quit();
    return code;
}
