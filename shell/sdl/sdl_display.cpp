// The start and the end of a run: the window, its OpenGL context, the
// full-screen display mode and the way back to the desktop's.

#include <cstdio>

#include "core/game.h"
#include "core/platform.h"
#include "shell/sdl/sdl_shell.h"

namespace {
const char* const kModeQueryFailed = "Chyba při zjišťování parametrů obrazovky!";
const char* const kModeRefused = "Nelze změnit nastavení obrazovky!";

// A refused mode is told to the user and ends the loop before the next
// frame; the caller's remaining steps still run.
void refuseMode(SdlShell& shell, const char* message) {
    platformShowError(message);
    shell.quitPosted = true;
    shell.exitCode = kExitStartFailed;
}

// Colour bits per channel: 5-6-5 for the 16-bit setting, 8-8-8 otherwise.
void requestPixelFormat(const GameSettings& settings, int depthBits) {
    const bool sixteen = settings.colorCode == 'H';
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, sixteen ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, sixteen ? 6 : 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, sixteen ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// The window's restored placement is 800 × 600 at (10, 10); the game mode
// makes it full screen before it is first shown.
SDL_Window* createWindow() {
    return SDL_CreateWindow("Korvada", 10, 10, 800, 600, SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
}

// Under X11 the depth buffer is part of the window's visual, so a depth the
// driver cannot give refuses the window itself: ask again with 24 bits.
SDL_Window* createWindowWithDepth(const GameSettings& settings) {
    requestPixelFormat(settings, 32);
    if (SDL_Window* window = createWindow()) return window;
    requestPixelFormat(settings, 24);
    return createWindow();
}

// Switches to the game mode: the launch code's resolution at the desktop's
// colour depth. Built once; activations re-apply this same record.
void enterGameMode(SdlShell& shell, Resolution size) {
    const int display = SDL_GetWindowDisplayIndex(shell.window);
    if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &shell.desktopMode) != 0)
        refuseMode(shell, kModeQueryFailed);
    shell.gameMode = SDL_DisplayMode{};
    shell.gameMode.format = shell.desktopMode.format;
    shell.gameMode.w = size.width;
    shell.gameMode.h = size.height;
    reapplyGameMode(shell);
}
}  // namespace

StartResult startGame(Game& game, SdlShell& shell, const GameSettings& settings) {
    game.settings = settings;
    shell.window = createWindowWithDepth(settings);
    if (shell.window == nullptr) {
        std::fprintf(stderr, "korvada: the window was refused: %s\n", SDL_GetError());
        return StartResult::NoWindow;
    }
    shell.glContext = SDL_GL_CreateContext(shell.window);
    if (shell.glContext == nullptr || SDL_GL_MakeCurrent(shell.window, shell.glContext) != 0) {
        std::fprintf(stderr, "korvada: no OpenGL context: %s\n", SDL_GetError());
        return StartResult::NoContext;
    }
    enterGameMode(shell, resolutionOf(settings));
    game.startRound();
    return StartResult::Started;
}

void showGameWindow(Game& game, SdlShell& shell) {
    SDL_ShowWindow(shell.window);
    SDL_RaiseWindow(shell.window);
    // The window may not announce a size it had from the start.
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(shell.window, &width, &height);
    game.setupView(width, height);
}

void reapplyGameMode(SdlShell& shell) {
    // A mode no display offers (larger than every one it has) is refused
    // here; SDL itself would quietly stay in the current one.
    SDL_DisplayMode closest;
    const int display = SDL_GetWindowDisplayIndex(shell.window);
    if (display < 0 || SDL_GetClosestDisplayMode(display, &shell.gameMode, &closest) == nullptr ||
        SDL_SetWindowDisplayMode(shell.window, &shell.gameMode) != 0 ||
        SDL_SetWindowFullscreen(shell.window, SDL_WINDOW_FULLSCREEN) != 0)
        refuseMode(shell, kModeRefused);
}

void restoreDesktopMode(SdlShell& shell) {
    // Leaving full screen gives the display its desktop mode back.
    if (SDL_SetWindowFullscreen(shell.window, 0) != 0) refuseMode(shell, kModeRefused);
}

void shutDown(Game& game, SdlShell& shell) {
    game.freeTextures();
    // Texture objects go with the context.
    SDL_GL_MakeCurrent(shell.window, nullptr);
    SDL_GL_DeleteContext(shell.glContext);
    shell.glContext = nullptr;
    SDL_DestroyWindow(shell.window);
    shell.window = nullptr;
    closeSound(shell);
}
