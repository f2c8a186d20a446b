// korvada-setup: the settings dialog that starts the game on Linux.
//
//   korvada-setup            the dialog; Play saves the choice and starts the game,
//                            and the dialog comes back when the game ends; Watch best
//                            starts it with --watch and the best round kept for the
//                            bottles chosen (saving nothing)
//   korvada-setup --play     starts the game with the choice the dialog would open with
//   korvada-setup --print    prints the game's arguments for that choice and exits 0
//   korvada-setup --version  prints the version and exits 0
//
// The choice is kept in $XDG_CONFIG_HOME/korvada/launch-code (~/.config/...).
// The game is `korvada` beside this program, run from its data folder; with
// --play this process becomes the game and ends with the game's exit code.
// Exit code 2: no game or data folder found, no display for the dialog, or
// the game could not be started (the reason is on stderr).

#include <SDL.h>
#include <gtk/gtk.h>
#include <linux/close_range.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "korvada_version.h"
#include "setup/gtk/setup_gtk.h"
#include "setup/gtk/window_frame.h"
#include "linux/linux_places.h"
#include "linux/sdl_video_driver.h"

namespace fs = std::filesystem;

namespace {
constexpr int kExitCannotStart = 2;

enum class Mode { Dialog, Play, Print };

// The class of the dialog's window and the game's, and the desktop entry's
// StartupWMClass: a dock shows them as the one program they are.
constexpr const char* kWindowClass = "korvada";

struct GameLocation {
    fs::path program;  // korvada
    fs::path data;     // its pictures and sounds: the game's working folder
};

const char* firstSet(std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
    return "";
}

// What the screen allows, from SDL, as the game sees it: through the same
// video driver, full screen the rows among its modes, in a window the rows
// that fit whole, title bar and borders included, in its free area (without
// the panels). The frame is the X11 window manager's where there is one (on
// a Wayland desktop, Xwayland's: about the title bar the game's window gets). Every row when there is
// no screen to ask (the offscreen drivers have made-up modes).
ScreenRows screenRows() {
    if (*firstSet({"DISPLAY", "WAYLAND_DISPLAY"}) == '\0') return everyRow();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    std::string why;
    if (!chooseVideoDriver(&why) || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return everyRow();
    ScreenRows screen = everyRow();
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) {
        std::vector<Resolution> modes;
        const int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) == 0) modes.push_back({mode.w, mode.h});
        }
        screen.fullScreen = offeredRows(modes);
        SDL_Rect usable;
        if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
            const WindowFrame frame = x11WindowFrame();
            screen.window = fittingRows({usable.w - frame.width, usable.h - frame.height});
        }
    }
    SDL_Quit();
    return screen;
}

// Beside this program: the installed layout's data folder, or the build
// tree's data/ folder.
bool findGame(GameLocation* game, std::string* why) {
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    if (error) {
        *why = "cannot tell where korvada-setup is: " + error.message();
        return false;
    }
    game->program = folder / "korvada";
    if (access(game->program.c_str(), X_OK) != 0) {
        *why = "cannot find the game: " + game->program.string() + " is missing or not executable";
        return false;
    }
    return findDataFolder(programDataFolders(), &game->data, why);
}

// The game's command line: the program and its arguments for the choice,
// and the recording to watch when there is one.
std::vector<std::string> gameCommand(const GameLocation& game, const LaunchChoice& choice, const fs::path& watch = {},
                                     RoundKind kind = FreeRound) {
    std::vector<std::string> command = gameArguments(choice, watch, kind);
    command.insert(command.begin(), game.program.string());
    return command;
}

// Becomes the game: its working folder is the data folder, as it reads its
// files by bare name. Returns only on failure, with the reason.
std::string execGame(const GameLocation& game, const LaunchChoice& choice) {
    if (chdir(game.data.c_str()) != 0) return game.data.string() + ": " + std::strerror(errno);
    // Nothing this process opened (the display connection above all) is the
    // game's business.
    syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
    std::vector<std::string> command = gameCommand(game, choice);
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    return command[0] + ": " + std::strerror(errno);
}

// The game as a child, from the data folder (GLib closes every other file
// in it); its process id, or 0 with the reason.
GPid spawnGame(const GameLocation& game, const LaunchChoice& choice, const fs::path& watch, RoundKind kind,
               std::string* why) {
    std::vector<std::string> command = gameCommand(game, choice, watch, kind);
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    GPid pid = 0;
    GError* error = nullptr;
    if (!g_spawn_async(game.data.c_str(), argv.data(), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid,
                       &error)) {
        *why = error->message;
        g_error_free(error);
        return 0;
    }
    return pid;
}

// The game's icon for every window of the dialog: from the icon theme once
// installed (its folder beside the programs' added, for an install under
// any prefix), else the data generator's pictures in the build tree.
void useGameIcon(const fs::path& programFolder) {
    GtkIconTheme* theme = gtk_icon_theme_get_default();
    gtk_icon_theme_append_search_path(theme, (programFolder / KORVADA_ICONS_FROM_PROGRAM).lexically_normal().c_str());
    if (gtk_icon_theme_has_icon(theme, kWindowClass)) {
        gtk_window_set_default_icon_name(kWindowClass);
        return;
    }
    GList* icons = nullptr;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const fs::path file = programFolder / "icons" / ("korvada-" + std::to_string(size) + ".png");
        if (GdkPixbuf* icon = gdk_pixbuf_new_from_file(file.c_str(), nullptr)) icons = g_list_append(icons, icon);
    }
    gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
}

int usage(FILE* out, int exitCode) {
    std::fprintf(out,
                 "usage: korvada-setup [--play | --print | --version]\n"
                 "  (none)     the settings dialog; Play saves the choice and starts the game\n"
                 "  --play     start the game with the saved choice, without the dialog\n"
                 "  --print    print the game's arguments Play would use\n"
                 "  --version  print the version\n");
    return exitCode;
}

// Said on stderr, and in a box when the dialog was asked for: a player who
// started the setup from the desktop sees no stderr.
int refuse(Mode mode, bool boxes, const SetupTexts& texts, const std::string& reason) {
    std::fprintf(stderr, "korvada-setup: %s\n", reason.c_str());
    if (mode == Mode::Dialog && boxes) showSetupMessage(texts, texts.cannotStart + reasonIn(texts, reason), true);
    return kExitCannotStart;
}
}  // namespace

int main(int argc, char** argv) {
    Mode mode = Mode::Dialog;
    if (argc > 2) return usage(stderr, kExitCannotStart);
    if (argc == 2) {
        const std::string option = argv[1];
        if (option == "--help" || option == "-h") return usage(stdout, 0);
        if (option == "--version") return std::printf("korvada-setup %s\n", KORVADA_VERSION_STRING) > 0 ? 0 : 1;
        if (option == "--play") mode = Mode::Play;
        else if (option == "--print") mode = Mode::Print;
        else return usage(stderr, kExitCannotStart);
    }
    const SetupTexts& texts = setupTexts(languageOf(localeName()));
    const fs::path file = savedCodeFile();
    const ScreenRows screen = screenRows();
    const LaunchChoice choice = startingChoice(readSavedCode(file).choice, screen);

    if (mode == Mode::Print) {
        const std::vector<std::string> arguments = gameArguments(choice);
        for (size_t i = 0; i < arguments.size(); ++i) std::printf(i ? " %s" : "%s", arguments[i].c_str());
        std::printf("\n");
        return 0;
    }
    // The dialog's window class and Wayland application id are the game's
    // (the desktop entry's StartupWMClass): the desktop shows both as Korvada.
    // GTK sets a class of its own while it starts.
    g_set_prgname(kWindowClass);
    const bool boxes = mode == Mode::Dialog && gtk_init_check(&argc, &argv);
    if (boxes) gdk_set_program_class(kWindowClass);
    if (mode == Mode::Dialog && !boxes)
        return refuse(mode, boxes, texts, "no display for the dialog (is DISPLAY or WAYLAND_DISPLAY set?)");
    GameLocation game;
    std::string why;
    if (!findGame(&game, &why)) return refuse(mode, boxes, texts, why);
    if (mode == Mode::Play) return refuse(mode, boxes, texts, execGame(game, choice));

    useGameIcon(game.program.parent_path());
    const StartRound start = [&](const LaunchChoice& chosen, const fs::path& watch, RoundKind kind,
                                 std::string* notSaved) -> GPid {
        std::string error;
        // Watching chooses nothing: the saved choice stays the last played.
        if (watch.empty() && !writeSavedCode(file, savedLine(chosen), diskSteps(), &error)) {
            // The player asked to play: the game still starts with the
            // choice, and the dialog says why it was not saved afterwards.
            std::fprintf(stderr, "korvada-setup: the choice is not saved: %s\n", error.c_str());
            *notSaved = error;
        }
        const GPid pid = spawnGame(game, chosen, watch, kind, &error);
        if (pid == 0) {
            std::fprintf(stderr, "korvada-setup: %s\n", error.c_str());
            showSetupMessage(texts, texts.cannotStart + reasonIn(texts, error), true);
        }
        return pid;
    };
    runSetupDialog(texts, screen, choice, start, bestCatchesFile());
    return 0;
}
