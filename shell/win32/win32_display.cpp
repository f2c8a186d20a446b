#include "shell/win32/win32_display.h"

#include <cstddef>

#include "assets/texture.h"
#include "shell/frame.h"

namespace {
// The DEVMODEA layout that ends before the panning fields: the size every
// Windows version accepts for a display-mode change.
constexpr WORD kDevModeSize = offsetof(DEVMODEA, dmPanningWidth);
static_assert(kDevModeSize == 148, "DEVMODEA without the panning fields is 148 bytes");
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the pixel-format request is 40 bytes");
}  // namespace

PIXELFORMATDESCRIPTOR pixelFormatFor(const GameSettings& settings) {
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = settings.colorCode == 'H' ? 16 : 32;
    format.cDepthBits = 32;
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

DEVMODEA gameModeFor(const DEVMODEA& desktop, int width, int height) {
    DEVMODEA mode{};
    mode.dmSize = kDevModeSize;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmBitsPerPel = desktop.dmBitsPerPel;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    return mode;
}

int Win32Display::startGame(Game& game, HWND newWindow, GameSettings settings) {
    game.settings = settings;
    window = newWindow;
    deviceContext = GetDC(window);
    selectPixelFormat(settings);
    renderContext = wglCreateContext(deviceContext);
    // Without a current context every drawing call would go nowhere and the
    // player would look at a black screen: refuse the start instead.
    if (renderContext == nullptr || !wglMakeCurrent(deviceContext, renderContext)) return 0;

    const Resolution resolution = resolutionOf(settings);
    gameWidth = resolution.width;
    gameHeight = resolution.height;
    enterGameMode(run);
    startRound(game);
    return 1;
}

int Win32Display::selectPixelFormat(const GameSettings& settings) {
    pixelFormat = pixelFormatFor(settings);
    const int index = ChoosePixelFormat(deviceContext, &pixelFormat);
    SetPixelFormat(deviceContext, index, &pixelFormat);
    return 1;
}

void Win32Display::shutDown(Game& game) {
    freeTextures(game);
    wglMakeCurrent(deviceContext, nullptr);
    // A refused start may have got no context; and a second teardown must
    // not release the same handles twice.
    if (renderContext != nullptr) wglDeleteContext(renderContext);
    if (deviceContext != nullptr) ReleaseDC(window, deviceContext);
    renderContext = nullptr;
    deviceContext = nullptr;
}

// --- The display steps of shell/display_policy.h --------------------------------

void shellShowCursor(int32_t shown) { ShowCursor(shown ? TRUE : FALSE); }

void shellMinimiseWindow() { ShowWindow(mainDisplay().window, SW_MINIMIZE); }

int32_t shellQueryDesktopMode() {
    Win32Display& display = mainDisplay();
    // The registry's mode is the user's own desktop, whatever some other
    // program may have switched to at this moment.
    display.desktopMode = DEVMODEA{};
    display.desktopMode.dmSize = sizeof(DEVMODEA);
    const int32_t answered = EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &display.desktopMode) != 0;
    display.gameMode = gameModeFor(display.desktopMode, display.gameWidth, display.gameHeight);
    return answered;
}

int32_t shellApplyGameMode() {
    return ChangeDisplaySettingsA(&mainDisplay().gameMode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

int32_t shellRestoreDesktopMode() {
    return ChangeDisplaySettingsA(&mainDisplay().desktopMode, 0) == DISP_CHANGE_SUCCESSFUL;
}

void shellPostQuit(int exitCode) { PostQuitMessage(exitCode); }
