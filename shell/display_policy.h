#pragma once
// What both desktop programs do about the display and about how a run ends,
// written once: the display messages, the exit codes, and the steps of
// activation and deactivation in their order. How the shell's window and
// display do each step is a DisplaySteps the shell hands over at start, so
// that one policy serves any number of ways of showing the game. No platform
// header here.

#include <cstdint>

#include "core/platform.h"

// Exit codes of the game on every platform.
constexpr int kExitNormal = 0;
constexpr int kExitBadLaunchCode = 1;
// No window or OpenGL context, or the display refused the game's mode.
constexpr int kExitStartFailed = 2;

extern const char* const kDisplayQueryFailedMessage;
extern const char* const kDisplayChangeFailedMessage;

// How one shell's window and display do the policy's steps. Each step gets
// `shell`, the shell's own record, back as its first argument. Another way of
// showing the game (an ordinary window, another display driver) is another
// set of these, chosen at start.
struct DisplaySteps {
    void* shell = nullptr;
    void (*showCursor)(void* shell, int32_t shown) = nullptr;
    void (*minimiseWindow)(void* shell) = nullptr;
    // Reads the user's desktop mode and builds the game's mode from it (from
    // whatever it holds when the read fails). 1 when the display answered.
    int32_t (*queryDesktopMode)(void* shell) = nullptr;
    // Puts the display in the game's mode; 1 only when it is in that mode.
    int32_t (*applyGameMode)(void* shell) = nullptr;
    // Gives the display the user's desktop mode back; 1 when it has it again.
    int32_t (*restoreDesktopMode)(void* shell) = nullptr;
    // Makes the message loop end with this code.
    void (*postQuit)(void* shell, int exitCode) = nullptr;
};

// How the run stands: whether its end is decided and with which code, and
// which kinds of display failure the user has already been told of. The
// shell keeps one for the run and fills in its steps and the platform that
// shows the boxes before the policy's first call.
struct DisplayRun {
    DisplaySteps steps;
    PlatformServices platform;
    int32_t quitPosted = 0;      // the loop ends at its next turn
    int exitCode = kExitNormal;  // the first reason's code; later ones do not replace it
    int32_t queryFailureShown = 0;
    int32_t changeFailureShown = 0;
};

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
