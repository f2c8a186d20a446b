// korvada: the game on Linux.
//
//   korvada LAUNCHCODE        run from the folder that holds the pictures and sounds
//
// Exit codes: 0 after a normal end, 1 for a rejected launch code, 2 when the
// game could not start (no display, window or OpenGL context) or the display
// refused the game's mode.

#include <cstdio>
#include <cstring>

#include "core/game.h"
#include "shell/sdl/sdl_shell.h"

namespace {
// The one game record, constructed before main() like every static.
Game game;

// SDL falls back to its invisible drivers when there is no display; a game
// nobody can see has not started. Asking for one by name is still allowed.
bool openDisplay(SdlShell& shell) {
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");  // focus loss is handled by the game
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

// All pending events, then one frame while the window can be seen. A hidden
// or minimised window waits for the next event instead: no frames, no CPU.
void runLoop(SdlShell& shell) {
    SDL_Event event;
    while (!shell.quitPosted && !shell.closeRequested) {
        const bool visible = (SDL_GetWindowFlags(shell.window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
        if (!visible && SDL_WaitEvent(&event)) handleEvent(game, shell, event);
        while (!shell.quitPosted && SDL_PollEvent(&event)) handleEvent(game, shell, event);
        if (shell.quitPosted || shell.closeRequested) break;
        if ((SDL_GetWindowFlags(shell.window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0) game.paintFrame();
    }
}

// The normal end: the window loses the focus as it goes (cursor back, desktop
// mode back, no minimising), then everything the start took is given back.
int endNormally(SdlShell& shell) {
    game.quitRequested = 1;
    SDL_ShowCursor(SDL_ENABLE);
    restoreDesktopMode(shell);
    shutDown(game, shell);
    return shell.exitCode;
}
}  // namespace

int main(int argc, char** argv) {
    GameSettings settings;
    if (!decodeLaunchCode(joinArguments(argc, argv), &settings)) {
        // The message names the Windows setup; on Linux it is korvada-setup.
        std::fprintf(stderr, "korvada: run korvada-setup to choose the settings and play\n");
        return 1;
    }

    SdlShell& shell = sdlShell();
    if (!openDisplay(shell)) {
        SDL_Quit();
        return kExitStartFailed;
    }
    if (settings.sound) openSound(shell);
    if (startGame(game, shell, settings) != StartResult::Started) {
        SDL_Quit();
        return kExitStartFailed;
    }
    if (!shell.quitPosted) showGameWindow(game, shell);
    runLoop(shell);

    // A refused display mode ends the run without the game's teardown; SDL
    // still gives the display back.
    const int code = shell.quitPosted ? shell.exitCode : endNormally(shell);
    SDL_Quit();
    return code;
}
