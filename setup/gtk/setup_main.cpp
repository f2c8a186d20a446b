// korvada-setup: the settings dialog that starts the game on Linux.
//
//   korvada-setup            the dialog; Play saves the code and starts the game
//   korvada-setup --play     starts the game with the code the dialog would open with
//   korvada-setup --print    prints that code and exits 0
//
// The code is kept in $XDG_CONFIG_HOME/korvada/launch-code (~/.config/...).
// The game is `korvada` beside this program, run from its data folder; once
// it starts, this process is the game and ends with the game's exit code.
// Exit code 2: no game or data folder found, no display for the dialog, or
// the game could not be started (the reason is on stderr).

#include <SDL.h>
#include <fcntl.h>
#include <gtk/gtk.h>
#include <linux/close_range.h>
#include <pwd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "setup/gtk/setup_gtk.h"

namespace fs = std::filesystem;

namespace {
constexpr int kExitCannotStart = 2;

enum class Mode { Dialog, Play, Print };

struct GameLocation {
    fs::path program;  // korvada
    fs::path data;     // its pictures and sounds: the game's working folder
};

const char* firstSet(std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
    return "";
}

// The language gettext would choose for messages: the LANGUAGE list first,
// then the locale variables in their order of precedence.
Language messageLanguage() { return languageOf(firstSet({"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})); }

fs::path savedCodeFile() {
    // The XDG base directory rules ignore a relative XDG_CONFIG_HOME.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return fs::path(config) / "korvada" / "launch-code";
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return fs::path(home) / ".config" / "korvada" / "launch-code";
}

bool flushToDisk(const fs::path& file) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = fsync(fd) == 0;
    close(fd);
    return flushed;
}

// The screen's modes from SDL's list, the one the game switches with; none
// when there is no screen to ask (the offscreen drivers have made-up modes).
std::optional<std::vector<Resolution>> screenModes() {
    if (*firstSet({"DISPLAY", "WAYLAND_DISPLAY"}) == '\0') return std::nullopt;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return std::nullopt;
    std::optional<std::vector<Resolution>> modes;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) {
        modes.emplace();
        const int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) == 0) modes->push_back({mode.w, mode.h});
        }
    }
    SDL_Quit();
    return modes;
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
    const fs::path installed = (folder / KORVADA_DATA_FROM_PROGRAM).lexically_normal();
    const fs::path buildTree = folder / "data";
    for (const fs::path& data : {installed, buildTree}) {
        if (fs::is_regular_file(data / "air.bmp", error)) {
            game->data = data;
            return true;
        }
    }
    *why = "cannot find the game's data: neither " + installed.string() + " nor " + buildTree.string() +
           " holds its pictures";
    return false;
}

// Becomes the game: its working folder is the data folder, as it reads its
// files by bare name. Returns only on failure, with the reason.
std::string execGame(const GameLocation& game, const std::string& code) {
    if (chdir(game.data.c_str()) != 0) return game.data.string() + ": " + std::strerror(errno);
    // Nothing this process opened (the display connection above all) is the
    // game's business.
    syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
    const std::string program = game.program.string();
    char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(code.c_str()), nullptr};
    execv(program.c_str(), argv);
    return program + ": " + std::strerror(errno);
}

int usage(FILE* out, int exitCode) {
    std::fprintf(out,
                 "usage: korvada-setup [--play | --print]\n"
                 "  (none)    the settings dialog; Play saves the code and starts the game\n"
                 "  --play    start the game with the saved code, without the dialog\n"
                 "  --print   print the code Play would use\n");
    return exitCode;
}

// Said on stderr, and in a box when the dialog was asked for: a player who
// started the setup from the desktop sees no stderr.
int refuse(Mode mode, bool boxes, const SetupTexts& texts, const std::string& reason) {
    std::fprintf(stderr, "korvada-setup: %s\n", reason.c_str());
    if (mode == Mode::Dialog && boxes) showSetupMessage(texts, texts.cannotStart + reason, true);
    return kExitCannotStart;
}
}  // namespace

int main(int argc, char** argv) {
    Mode mode = Mode::Dialog;
    if (argc > 2) return usage(stderr, kExitCannotStart);
    if (argc == 2) {
        const std::string option = argv[1];
        if (option == "--play") mode = Mode::Play;
        else if (option == "--print") mode = Mode::Print;
        else if (option == "--help" || option == "-h") return usage(stdout, 0);
        else return usage(stderr, kExitCannotStart);
    }
    const SetupTexts& texts = setupTexts(messageLanguage());
    const fs::path file = savedCodeFile();
    const std::optional<std::vector<Resolution>> modes = screenModes();
    OfferedRows offered;
    offered.fill(true);  // without a screen to ask, every row is worth a try
    if (modes) offered = offeredRows(*modes);
    GameSettings settings = startingSettings(readSavedCode(file).settings, offered);

    if (mode == Mode::Print) {
        std::printf("%s\n", encodeLaunchCode(settings).c_str());
        return 0;
    }
    // The dialog's window class and Wayland application id are the game's
    // (the desktop entry's StartupWMClass): the desktop shows both as Korvada.
    // GTK sets a class of its own while it starts.
    g_set_prgname("korvada");
    const bool boxes = mode == Mode::Dialog && gtk_init_check(&argc, &argv);
    if (boxes) gdk_set_program_class("korvada");
    if (mode == Mode::Dialog && !boxes)
        return refuse(mode, boxes, texts, "no display for the dialog (is DISPLAY or WAYLAND_DISPLAY set?)");
    GameLocation game;
    std::string why;
    if (!findGame(&game, &why)) return refuse(mode, boxes, texts, why);

    if (mode == Mode::Dialog) {
        if (!runSetupDialog(texts, offered, &settings)) return 0;
        std::string error;
        if (!writeSavedCode(file, encodeLaunchCode(settings), flushToDisk, &error)) {
            // The player asked to play: the game still starts with the choice.
            std::fprintf(stderr, "korvada-setup: %s\n", error.c_str());
            showSetupMessage(texts, texts.cannotSave + error, false);
        }
    }
    return refuse(mode, boxes, texts, execGame(game, encodeLaunchCode(settings)));
}
