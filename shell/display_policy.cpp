#include "shell/display_policy.h"

#include "core/platform.h"

const char* const kDisplayQueryFailedMessage = "Chyba při zjišťování parametrů obrazovky!";
const char* const kDisplayChangeFailedMessage = "Nelze změnit nastavení obrazovky!";

namespace {
// The flag is set before the box opens: the box's own focus changes come
// back here while it is open.
void reportFailure(DisplayRun& run, int32_t& shown, const char* message) {
    if (!shown) {
        shown = 1;
        platformShowError(message);
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
    shellPostQuit(run.exitCode);
}

void enterGameMode(DisplayRun& run) {
    if (!shellQueryDesktopMode()) reportFailure(run, run.queryFailureShown, kDisplayQueryFailedMessage);
    if (!shellApplyGameMode()) reportChangeFailure(run);
}

void onActivated(DisplayRun& run) {
    if (!run.quitPosted && !shellApplyGameMode()) reportChangeFailure(run);
    shellShowCursor(0);
}

void onDeactivated(DisplayRun& run, int32_t quitRequested) {
    shellShowCursor(1);
    if (!quitRequested) shellMinimiseWindow();
    if (!shellRestoreDesktopMode()) reportChangeFailure(run);
}
