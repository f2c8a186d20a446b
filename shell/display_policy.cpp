#include "shell/display_policy.h"

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
}  // namespace

void endRun(DisplayRun& run, int exitCode) {
    if (!run.quitPosted) {
        run.quitPosted = 1;
        run.exitCode = exitCode;
    }
    run.steps.postQuit(run.steps.shell, run.exitCode);
}

void enterGameMode(DisplayRun& run) {
    const DisplaySteps& steps = run.steps;
    if (!steps.queryDesktopMode(steps.shell)) reportFailure(run, run.queryFailureShown, kDisplayQueryFailedMessage);
    if (!steps.applyGameMode(steps.shell)) reportChangeFailure(run);
}

void onActivated(DisplayRun& run) {
    const DisplaySteps& steps = run.steps;
    if (!run.quitPosted && !steps.applyGameMode(steps.shell)) reportChangeFailure(run);
    steps.showCursor(steps.shell, 0);
}

void onDeactivated(DisplayRun& run, int32_t quitRequested) {
    const DisplaySteps& steps = run.steps;
    steps.showCursor(steps.shell, 1);
    if (!quitRequested) steps.minimiseWindow(steps.shell);
    if (!steps.restoreDesktopMode(steps.shell)) reportChangeFailure(run);
}
