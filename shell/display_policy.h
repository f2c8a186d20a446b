#pragma once
// What both programs do about the display and about how a run ends, written
// once: the display messages, the exit codes, and the steps of activation and
// deactivation in their order. The steps themselves are the few shell...()
// functions below, which each shell (shell/sdl, shell/win32) defines once, as
// it defines core/platform.h. No platform header here.

#include <cstdint>

// Exit codes of the game on every platform.
constexpr int kExitNormal = 0;
constexpr int kExitBadLaunchCode = 1;
// No window or OpenGL context, or the display refused the game's mode.
constexpr int kExitStartFailed = 2;

extern const char* const kDisplayQueryFailedMessage;
extern const char* const kDisplayChangeFailedMessage;

// How the run stands: whether its end is decided and with which code, and
// which kinds of display failure the user has already been told of. The
// shell keeps one for the run.
struct DisplayRun {
    int32_t quitPosted = 0;      // the loop ends at its next turn
    int exitCode = kExitNormal;  // the first reason's code; later ones do not replace it
    int32_t queryFailureShown = 0;
    int32_t changeFailureShown = 0;
};

// --- Defined once by each shell -----------------------------------------------

void shellShowCursor(int32_t shown);
void shellMinimiseWindow();
// Reads the user's desktop mode and builds the game's mode from it (from
// whatever it holds when the read fails). 1 when the display answered.
int32_t shellQueryDesktopMode();
// Puts the display in the game's mode; 1 only when it is in that mode.
int32_t shellApplyGameMode();
// Gives the display the user's desktop mode back; 1 when it has it again.
int32_t shellRestoreDesktopMode();
// Makes the message loop end with this code.
void shellPostQuit(int exitCode);

// --- The policy ----------------------------------------------------------------

// Decides the end of the run. The first code stays: a failure's 2 is not
// undone by the 0 of the teardown that follows it.
void endRun(DisplayRun& run, int exitCode);

// The start's switch: query, then switch, the switch tried even after a
// failed query. Each kind of failure shows its own box, once a run, and
// ends the run with kExitStartFailed.
void enterGameMode(DisplayRun& run);

// The window got the focus back: the game's mode again (unless the run is
// ending, so that a box's own focus changes cannot open box after box),
// then the cursor hidden whatever the switch did.
void onActivated(DisplayRun& run);

// The window lost the focus: cursor shown, window minimised unless the game
// is quitting, then the desktop's mode back.
void onDeactivated(DisplayRun& run, int32_t quitRequested);
