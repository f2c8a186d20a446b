// The start and the end of a run: the window, its OpenGL context, the
// full-screen display mode and the way back to the desktop's. What happens
// when is shell/display_policy.cpp's; the display steps it calls are here.
// And the picture the display shows, saved on F12.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "assets/texture.h"
#include "core/game.h"
#include "core/round_driver.h"
#include "linux/linux_places.h"
#include "render/frame_picture.h"
#include "render/scene.h"
#include "shell/display_policy.h"
#include "shell/sdl/sdl_shell.h"

namespace {
// How long the window manager may take to make the shown window full screen.
constexpr Uint32 kFullScreenWaitMs = 2000;

// Colour bits per channel: 5-6-5 for the 16-bit setting, 8-8-8 otherwise.
// On Wayland the surface takes an alpha channel as well: Mesa's software
// renderer draws clears and blending wrongly into an EGL surface without
// one (black, green stars, purple glass), and the frame keeps its alpha at
// 1 (render/scene.h clearFrame), so the window stays opaque.
void requestPixelFormat(const GameSettings& settings, int depthBits) {
    const bool sixteen = settings.colorCode == 'H';
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, sixteen ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, sixteen ? 6 : 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, sixteen ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, onWayland() ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// Full screen, the window's restored placement is 800 × 600 at (10, 10); it
// is asked to be full screen before it is first shown. In a window it has
// the game's size in the desktop's middle, and draws at the drawable's own
// pixels on a scaled desktop.
SDL_Window* createWindow(const SdlShell& shell) {
    if (shell.run.inWindow)
        return SDL_CreateWindow("Korvada", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, shell.gameMode.w,
                                shell.gameMode.h,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN);
    return SDL_CreateWindow("Korvada", 10, 10, 800, 600, SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
}

// Under X11 the depth buffer is part of the window's visual, so a depth the
// driver cannot give refuses the window itself: ask again with 24 bits.
SDL_Window* createWindowWithDepth(const SdlShell& shell, const GameSettings& settings) {
    requestPixelFormat(settings, 32);
    if (SDL_Window* window = createWindow(shell)) return window;
    requestPixelFormat(settings, 24);
    return createWindow(shell);
}

// Asks the driver to wait for the display's refresh, so that a 60 Hz screen
// does not get thousands of frames a second; adaptive where it can. A
// driver that cannot wait (no refresh at all) draws unthrottled: the frame
// clock makes every frame's step fit the time it took, however short.
void waitForRefresh() {
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
}

int displayOf(const SdlShell& shell) {
    const int display = SDL_GetWindowDisplayIndex(shell.window);
    return display < 0 ? 0 : display;
}

// The display's own mode of exactly the game's size, in the desktop's pixel
// format where it lists one. SDL would otherwise take the closest larger
// mode, and the game would play at a size it was not asked for.
bool findExactMode(const SdlShell& shell, SDL_DisplayMode* found) {
    const int display = displayOf(shell);
    bool any = false;
    for (int i = 0, count = SDL_GetNumDisplayModes(display); i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
        if (mode.w != shell.gameMode.w || mode.h != shell.gameMode.h) continue;
        const bool desktops = mode.format == shell.desktopMode.format;
        if (!any || (desktops && found->format != shell.desktopMode.format)) *found = mode;
        any = true;
    }
    return any;
}

bool displayIsAt(const SdlShell& shell, int width, int height) {
    SDL_DisplayMode current;
    return SDL_GetCurrentDisplayMode(displayOf(shell), &current) == 0 && current.w == width && current.h == height;
}

// A Wayland compositor never changes the output's mode: it scales a
// full-screen window whose own mode is the game's, and SDL keeps the
// display's current mode and bounds at the native size by design. So there
// the window is asked: full screen, in the exact mode, with a drawable of
// the game's size. SDL's wayland driver waits for the compositor's reply to
// its full-screen request before it returns, so its figures are the
// compositor's answer, not SDL's wish.
bool showsGameModeOnWayland(const SdlShell& shell) {
    SDL_DisplayMode mode, exact;
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(shell.window, &width, &height);
    return (SDL_GetWindowFlags(shell.window) & SDL_WINDOW_FULLSCREEN) != 0 &&
           SDL_GetWindowDisplayMode(shell.window, &mode) == 0 && findExactMode(shell, &exact) &&
           mode.w == exact.w && mode.h == exact.h && width == shell.gameMode.w && height == shell.gameMode.h;
}

// Under X11 the window manager's own answer, read from the X server: its
// state on the window holds full screen, and the window lies over the whole
// display in the game's mode. The window is the OpenGL drawable there, so
// its size is the drawable's: a picture of the game's size in the corner of
// a larger window is no full screen. SDL's figures alone would be its wish
// until the events of the answer arrive.
bool coversDisplayOnX11(const SdlShell& shell, const WindowManagerAnswer& answer) {
    SDL_Rect bounds;
    return answer.fullScreen && displayIsAt(shell, shell.gameMode.w, shell.gameMode.h) &&
           SDL_GetDisplayBounds(displayOf(shell), &bounds) == 0 && SDL_RectEquals(&answer.place, &bounds) &&
           answer.place.w == shell.gameMode.w && answer.place.h == shell.gameMode.h;
}

// The display in the game's mode, the window over all of it, and a drawable
// of the game's size; another video driver than X11 or Wayland has only
// SDL's figures to show it.
bool coversDisplayInGameMode(const SdlShell& shell) {
    if (onWayland()) return showsGameModeOnWayland(shell);
    WindowManagerAnswer answer;
    if (readWindowManagerAnswer(shell.window, &answer)) return coversDisplayOnX11(shell, answer);
    SDL_Rect bounds;
    int x = 0, y = 0, width = 0, height = 0, drawableWidth = 0, drawableHeight = 0;
    if (SDL_GetDisplayBounds(displayOf(shell), &bounds) != 0) return false;
    SDL_GetWindowPosition(shell.window, &x, &y);
    SDL_GetWindowSize(shell.window, &width, &height);
    SDL_GL_GetDrawableSize(shell.window, &drawableWidth, &drawableHeight);
    return displayIsAt(shell, shell.gameMode.w, shell.gameMode.h) && x == bounds.x && y == bounds.y &&
           width == bounds.w && height == bounds.h && drawableWidth == shell.gameMode.w &&
           drawableHeight == shell.gameMode.h;
}

// The window manager answers a full-screen request a moment later. The
// check decides as soon as the answer shows the game's mode, looking again
// whenever the display server sends something (the answer comes as events),
// and refuses only once a window manager has left it unanswered for a
// bounded time: a refusing one never gives a whole screen in the game's
// mode, but may first give a passing state that is no answer yet. SDL's
// events are read before every look and only queue up meanwhile.
bool showsGameMode(const SdlShell& shell) {
    const Uint32 deadline = SDL_GetTicks() + kFullScreenWaitMs;
    for (;;) {
        SDL_PumpEvents();
        if (coversDisplayInGameMode(shell)) return true;
        const Uint32 now = SDL_GetTicks();
        if (SDL_TICKS_PASSED(now, deadline)) return false;
        awaitDisplayServer(shell.window, deadline - now);
    }
}

// --- The display steps of shell/display_policy.h --------------------------------

SdlShell& shellOf(void* shell) { return *static_cast<SdlShell*>(shell); }

void showCursor(void*, int32_t shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

void minimiseWindow(void* shell) { SDL_MinimizeWindow(shellOf(shell).window); }

int32_t queryDesktopMode(void* context) {
    SdlShell& shell = shellOf(context);
    const int32_t answered = SDL_GetDesktopDisplayMode(displayOf(shell), &shell.desktopMode) == 0;
    // The game keeps the desktop's colour depth.
    shell.gameMode.format = shell.desktopMode.format;
    return answered;
}

int32_t applyGameMode(void* context) {
    SdlShell& shell = shellOf(context);
    // Full screen has no frame, and SDL changes a window's frame only while
    // it is not full screen: a window that had one (the toggle's) loses it
    // first.
    SDL_SetWindowResizable(shell.window, SDL_FALSE);
    SDL_SetWindowBordered(shell.window, SDL_FALSE);
    SDL_DisplayMode exact;
    if (!findExactMode(shell, &exact) || SDL_SetWindowDisplayMode(shell.window, &exact) != 0 ||
        SDL_SetWindowFullscreen(shell.window, SDL_WINDOW_FULLSCREEN) != 0)
        return 0;
    // A hidden window only records the wish; showing it makes the switch,
    // which is checked then.
    if (SDL_GetWindowFlags(shell.window) & SDL_WINDOW_HIDDEN) return 1;
    // The first activation comes right after the window was shown and
    // checked, and nothing has changed since.
    if (!shell.gameModeSeen) shell.gameModeSeen = showsGameMode(shell);
    return shell.gameModeSeen;
}

int32_t restoreDesktopMode(void* context) {
    SdlShell& shell = shellOf(context);
    shell.gameModeSeen = false;
    // Leaving full screen gives the display its desktop mode back.
    if (SDL_SetWindowFullscreen(shell.window, 0) != 0) return 0;
    // Without a known desktop mode (its query failed) there is nothing to
    // compare; on Wayland the output never left it.
    return shell.desktopMode.w <= 0 || onWayland() || displayIsAt(shell, shell.desktopMode.w, shell.desktopMode.h);
}

// Full screen the window is the display's; the view takes all of it.
void shapeFullScreen(void* shell) { sizeView(shellOf(shell)); }

// The decorated, resizable window of the game's size in the desktop's
// middle, as --window opens it, the picture in its aspect. Leaving full
// screen is part of it: a Wayland output never left its mode, so there the
// way back to the desktop has left the window full screen.
void shapeWindow(void* context) {
    SdlShell& shell = shellOf(context);
    SDL_SetWindowFullscreen(shell.window, 0);
    SDL_SetWindowBordered(shell.window, SDL_TRUE);
    SDL_SetWindowResizable(shell.window, SDL_TRUE);
    SDL_SetWindowSize(shell.window, shell.gameMode.w, shell.gameMode.h);
    SDL_SetWindowPosition(shell.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    sizeView(shell);
}

// The loop reads shell.run.quitPosted before every frame.
void postQuit(void*, int) {}

// In a window the display stays as the desktop has it.
void keepWindow(void*) {}

int32_t desktopModeAnswered(void* context) {
    SdlShell& shell = shellOf(context);
    return SDL_GetDesktopDisplayMode(displayOf(shell), &shell.desktopMode) == 0;
}

int32_t modeUntouched(void*) { return 1; }

// A Wayland output never left its mode; the window is checked again when the
// game comes back.
int32_t keepOutputMode(void* context) {
    shellOf(context).gameModeSeen = false;
    return 1;
}
}  // namespace

bool onWayland() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "wayland") == 0;
}

// Minimising gives the desktop its mode back under X11. A Wayland output
// never left its mode, and a Wayland client can neither learn that it was
// minimised nor bring itself back (weston has no way at all): a minimised
// game would play its round on unseen. There the window stays full screen
// under whatever took the focus, and the round holds still until it returns.
DisplaySteps fullScreenSteps(SdlShell& shell) {
    DisplaySteps steps = {&shell,         showCursor,         minimiseWindow, queryDesktopMode,
                          applyGameMode, restoreDesktopMode, shapeFullScreen, postQuit};
    if (onWayland()) {
        steps.minimiseWindow = keepWindow;
        steps.restoreDesktopMode = keepOutputMode;
    }
    return steps;
}

DisplaySteps windowSteps(SdlShell& shell) {
    DisplaySteps steps = fullScreenSteps(shell);
    steps.minimiseWindow = keepWindow;
    steps.queryDesktopMode = desktopModeAnswered;
    steps.applyGameMode = modeUntouched;
    steps.restoreDesktopMode = modeUntouched;
    steps.shapeWindow = shapeWindow;
    return steps;
}

StartResult startGame(Game& game, RoundDriver& driver, SdlShell& shell, const GameSettings& settings,
                      const RoundStart& start) {
    const Resolution size = resolutionOf(settings);
    shell.gameMode = SDL_DisplayMode{};
    shell.gameMode.w = size.width;
    shell.gameMode.h = size.height;
    shell.window = createWindowWithDepth(shell, settings);
    if (shell.window == nullptr) {
        std::fprintf(stderr, "korvada: the window was refused: %s\n", SDL_GetError());
        return StartResult::NoWindow;
    }
    shell.glContext = SDL_GL_CreateContext(shell.window);
    if (shell.glContext == nullptr || SDL_GL_MakeCurrent(shell.window, shell.glContext) != 0) {
        std::fprintf(stderr, "korvada: no OpenGL context: %s\n", SDL_GetError());
        return StartResult::NoContext;
    }
    waitForRefresh();
    enterGameMode(shell.run);
    prepareRunOnLargePages(game);
    startRoundFrom(driver, game, settings, start);
    return StartResult::Started;
}

void showGameWindow(SdlShell& shell) {
    // SDL switches the display inside SDL_ShowWindow and keeps the outcome
    // to itself: the activation that follows checks what the display shows.
    SDL_ShowWindow(shell.window);
    SDL_RaiseWindow(shell.window);
    onActivated(shell.run);
    // The window may not announce a size it had from the start.
    sizeView(shell);
}

void sizeView(const SdlShell& shell) {
    // The drawable, not the asked size: what the window really got, in
    // pixels even where the desktop is scaled.
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(shell.window, &width, &height);
    if (shell.run.inWindow)
        setupViewArea(fitPicture(width, height, shell.gameMode.w, shell.gameMode.h));
    else
        setupView(width, height);
}

void shutDown(Game& game, SdlShell& shell) {
    freeTextures(game);
    // Texture objects go with the context.
    SDL_GL_MakeCurrent(shell.window, nullptr);
    SDL_GL_DeleteContext(shell.glContext);
    shell.glContext = nullptr;
    SDL_DestroyWindow(shell.window);
    shell.window = nullptr;
    closeSound(shell);
    closePads(game, shell);
}


void savePicture(const Game& game) {
    const std::filesystem::path folder = picturesFolder();
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    const std::filesystem::path file = newPicturePath(folder, std::time(nullptr));
    std::string error = failure ? "cannot create " + folder.string() + ": " + failure.message() : "";
    if (error.empty() && writePngFile(file, pictureOfRound(game), &error))
        std::fprintf(stderr, "korvada: the picture is saved as %s\n", file.c_str());
    else
        std::fprintf(stderr, "korvada: the picture is not saved: %s\n", error.c_str());
}
