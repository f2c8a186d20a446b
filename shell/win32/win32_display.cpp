// The start and the end of a run: the window's device and rendering
// contexts, the full-screen display mode and the way back to the desktop's.
// What happens when is shell/display_policy.cpp's; the display steps it
// calls are here. And the picture the display shows, saved on F12.

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "shell/win32/win32_shell.h"

#include "assets/texture.h"
#include "render/frame_picture.h"
#include "render/scene.h"
#include "shell/frame.h"
#include "win32/display_modes.h"
#include "win32/win32_places.h"

namespace {
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the pixel-format request is 40 bytes");

// Double-buffered RGBA with a 32-bit depth buffer, 16 colour bits for colour
// code 'H', else 32.
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

// A device context with no pixel format that OpenGL can draw with (no
// OpenGL driver at all) gets no rendering context either: the caller
// refuses the start.
bool selectPixelFormat(Win32Shell& shell, const GameSettings& settings) {
    shell.pixelFormat = pixelFormatFor(settings);
    const int index = ChoosePixelFormat(shell.deviceContext, &shell.pixelFormat);
    if (index == 0) {
        std::fprintf(stderr, "korvada: no OpenGL pixel format (error %lu)\n", GetLastError());
        return false;
    }
    // A refusal here shows in the context's creation, which is checked.
    SetPixelFormat(shell.deviceContext, index, &shell.pixelFormat);
    return true;
}

// --- The display steps of shell/display_policy.h --------------------------------

Win32Shell& shellOf(void* shell) { return *static_cast<Win32Shell*>(shell); }

void showCursor(void*, int32_t shown) { ShowCursor(shown ? TRUE : FALSE); }

void minimiseWindow(void* shell) { ShowWindow(shellOf(shell).window, SW_MINIMIZE); }

int32_t queryDesktopMode(void* context) {
    Win32Shell& shell = shellOf(context);
    const int32_t answered = readRegistryDesktopMode(&shell.desktopMode);
    shell.gameMode = gameModeFor(shell.desktopMode, shell.gameWidth, shell.gameHeight);
    return answered;
}

int32_t applyGameMode(void* shell) {
    return ChangeDisplaySettingsA(&shellOf(shell).gameMode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

int32_t restoreDesktopMode(void* shell) {
    return ChangeDisplaySettingsA(&shellOf(shell).desktopMode, 0) == DISP_CHANGE_SUCCESSFUL;
}

void postQuit(void*, int exitCode) { PostQuitMessage(exitCode); }

// The popup over the whole display in the game's mode, as the start shows
// it: maximised. One request, for the display's size alone: under Wine a
// window manager may answer a size asked for on the way (the start's
// restored placement, 800 x 600 at (10, 10)) after the maximising, and Wine
// then takes that answer, so a 1024 x 768 game stayed drawn at 800 x 600 in
// the corner. The restored placement is the window's until then; nothing in
// the game restores a full-screen window.
void shapeFullScreen(void* context) {
    Win32Shell& shell = shellOf(context);
    SetWindowLongPtrA(shell.window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    ShowWindow(shell.window, SW_SHOWMAXIMIZED);
}

// In a window the display stays as the desktop has it.
void keepWindow(void*) {}

int32_t modeUntouched(void*) { return 1; }

// The ordinary window of the game's size in the middle of the work area. A
// window already (the switch to full screen was refused) stays as it is.
void shapeWindow(void* context) {
    Win32Shell& shell = shellOf(context);
    if ((GetWindowLongPtrA(shell.window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) return;
    SetWindowLongPtrA(shell.window, GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ShowWindow(shell.window, SW_SHOWNORMAL);  // out of the maximised state
    const SIZE size = ordinaryWindowSize(shell, shell.window);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(shell.window, nullptr, work.left + (work.right - work.left - size.cx) / 2,
                 work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy,
                 SWP_NOZORDER | SWP_FRAMECHANGED);
}
}  // namespace

DisplaySteps fullScreenSteps(Win32Shell& shell) {
    return {&shell,         showCursor,         minimiseWindow, queryDesktopMode,
            applyGameMode, restoreDesktopMode, shapeFullScreen, postQuit};
}

DisplaySteps windowSteps(Win32Shell& shell) {
    DisplaySteps steps = fullScreenSteps(shell);
    steps.minimiseWindow = keepWindow;
    steps.applyGameMode = modeUntouched;
    steps.restoreDesktopMode = modeUntouched;
    steps.shapeWindow = shapeWindow;
    return steps;
}

SIZE ordinaryWindowSize(const Win32Shell& shell, HWND window) {
    const UINT dpi = GetDpiForWindow(window);
    RECT frame{0, 0, MulDiv(shell.gameWidth, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI),
               MulDiv(shell.gameHeight, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI)};
    AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, dpi);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void sizeView(const Win32Shell& shell, int width, int height) {
    if (shell.run.inWindow)
        setupViewArea(fitPicture(width, height, shell.gameWidth, shell.gameHeight));
    else
        setupView(width, height);
}

int startGame(Game& game, Win32Shell& shell, HWND window, const GameSettings& settings) {
    shell.window = window;
    shell.deviceContext = GetDC(window);
    if (!selectPixelFormat(shell, settings)) return 0;
    shell.renderContext = wglCreateContext(shell.deviceContext);
    // Without a current context every drawing call would go nowhere and the
    // player would look at a black screen: refuse the start instead.
    if (shell.renderContext == nullptr || !wglMakeCurrent(shell.deviceContext, shell.renderContext)) {
        std::fprintf(stderr, "korvada: no OpenGL context (error %lu)\n", GetLastError());
        return 0;
    }

    const Resolution resolution = resolutionOf(settings);
    shell.gameWidth = resolution.width;
    shell.gameHeight = resolution.height;
    enterGameMode(shell.run);
    prepareRun(game);
    startRoundFrom(shell.round, game, settings, shell.start);
    return 1;
}

void shutDown(Game& game, Win32Shell& shell) {
    freeTextures(game);
    wglMakeCurrent(shell.deviceContext, nullptr);
    // A refused start may have got no context; and a second teardown must
    // not release the same handles twice.
    if (shell.renderContext != nullptr) wglDeleteContext(shell.renderContext);
    if (shell.deviceContext != nullptr) ReleaseDC(shell.window, shell.deviceContext);
    shell.renderContext = nullptr;
    shell.deviceContext = nullptr;
}

void savePicture(const Game& game) {
    const std::filesystem::path folder = picturesFolder();
    std::error_code failure;
    if (!folder.empty()) std::filesystem::create_directories(folder, failure);
    const std::filesystem::path file = newPicturePath(folder, std::time(nullptr));
    std::string error = folder.empty() ? "Windows names no Pictures folder"
                        : failure      ? "cannot create " + folder.u8string() + ": " + failure.message()
                                       : "";
    if (error.empty() && writePngFile(file, pictureOfRound(game), &error))
        std::fprintf(stderr, "korvada: the picture is saved as %s\n", file.u8string().c_str());
    else
        std::fprintf(stderr, "korvada: the picture is not saved: %s\n", error.c_str());
}
