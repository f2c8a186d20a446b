#include "shell/display_policy.h"

#include <cstdio>

#include "core/game.h"
#include "render/scene.h"

const char* const kDisplayQueryFailedMessage = "Chyba při zjišťování parametrů obrazovky!";
const char* const kDisplayChangeFailedMessage = "Nelze změnit nastavení obrazovky!";

namespace {
// The flag is set before the box opens: the box's own focus changes come
// back here while it is open.
void reportFailure(DisplayRun& run, int32_t& shown, const char* message) {
    if (!shown) {
        shown = 1;
        run.platform.showError(run.platform.shell, message);
    }
    endRun(run, kExitStartFailed);
}

void reportChangeFailure(DisplayRun& run) { reportFailure(run, run.changeFailureShown, kDisplayChangeFailedMessage); }

void reapplyGameMode(DisplayRun& run) {
    const DisplaySteps& steps = currentSteps(run);
    if (!run.quitPosted && !steps.applyGameMode(steps.shell)) reportChangeFailure(run);
    steps.showCursor(steps.shell, 0);
}

// Leaving full screen gives the display the desktop's mode back; a display
// that keeps the game's says so, and the window is shaped all the same.
void becomeWindow(DisplayRun& run) {
    if (!run.fullScreen.restoreDesktopMode(run.fullScreen.shell))
        std::fprintf(stderr, "korvada: the desktop's mode did not come back\n");
    run.inWindow = 1;
    run.window.shapeWindow(run.window.shell);
}

// The start's query and switch. A display that refuses may have taken part
// of the switch: the desktop's mode back, and the window as it was.
void becomeFullScreen(DisplayRun& run, const Resolution& size) {
    const DisplaySteps& steps = run.fullScreen;
    if (steps.queryDesktopMode(steps.shell) && steps.applyGameMode(steps.shell)) {
        run.inWindow = 0;
        steps.shapeWindow(steps.shell);
        return;
    }
    std::fprintf(stderr, "korvada: the display refused full screen at %dx%d; playing on in the window\n", size.width,
                 size.height);
    becomeWindow(run);
}
}  // namespace

const DisplaySteps& currentSteps(const DisplayRun& run) { return run.inWindow ? run.window : run.fullScreen; }

void endRun(DisplayRun& run, int exitCode) {
    if (!run.quitPosted) {
        run.quitPosted = 1;
        run.exitCode = exitCode;
    }
    const DisplaySteps& steps = currentSteps(run);
    steps.postQuit(steps.shell, run.exitCode);
}

void enterGameMode(DisplayRun& run) {
    const DisplaySteps& steps = currentSteps(run);
    if (!steps.queryDesktopMode(steps.shell)) reportFailure(run, run.queryFailureShown, kDisplayQueryFailedMessage);
    if (!steps.applyGameMode(steps.shell)) reportChangeFailure(run);
}

void onActivated(DisplayRun& run) {
    reapplyGameMode(run);
    run.held = 0;
}

void onActivatedByClick(DisplayRun& run) { run.held = 0; }

void onRestoredWithoutFocus(DisplayRun& run) { reapplyGameMode(run); }

void onDeactivated(DisplayRun& run, int32_t quitRequested) {
    const DisplaySteps& steps = currentSteps(run);
    run.held = 1;
    steps.showCursor(steps.shell, 1);
    if (!quitRequested) steps.minimiseWindow(steps.shell);
    if (!steps.restoreDesktopMode(steps.shell)) reportChangeFailure(run);
}

bool framePlays(const DisplayRun& run, const Game& game) { return !run.held && !game.paused; }

void sizeView(const DisplayRun& run, const Resolution& picture, int32_t width, int32_t height) {
    if (run.inWindow)
        setupViewArea(fitPicture(width, height, picture.width, picture.height));
    else
        setupView(width, height);
}

void toggleFullScreen(DisplayRun& run, Game& game) {
    if (run.inWindow)
        becomeFullScreen(run, resolutionOf(game.settings));
    else
        becomeWindow(run);
    game.restartFrameClock();
}
