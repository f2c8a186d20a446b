#pragma once
// What both desktop programs do about the display and about how a run ends,
// written once: the display messages, the exit codes, the steps of
// activation and deactivation in their order, the switch between full
// screen and a window, and when the round holds still. How the shell's
// window and display do each step is a DisplaySteps the shell hands over at
// start, so that one policy serves any number of ways of showing the game.
// No platform header here.

#include <cstdint>

#include "core/platform.h"
#include "core/settings.h"

struct Game;

// Exit codes of the game on every platform.
constexpr int kExitNormal = 0;
constexpr int kExitBadLaunchCode = 1;
// No window or OpenGL context, or the display refused the game's mode.
constexpr int kExitStartFailed = 2;

extern const char* const kDisplayQueryFailedMessage;
extern const char* const kDisplayChangeFailedMessage;

// How one way of showing the game does the policy's steps on the shell's
// window and display. Each step gets `shell`, the shell's own record, back as
// its first argument. A shell hands over two sets at start, full screen and
// an ordinary window; another way of showing the game (another display
// driver) is another set, chosen then.
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
    // Gives the window this way's shape once the display is in this way's
    // mode (full screen: over the whole display; a window: decorated, of the
    // game's size, in the desktop's middle), and the view follows.
    void (*shapeWindow)(void* shell) = nullptr;
    // Makes the message loop end with this code.
    void (*postQuit)(void* shell, int exitCode) = nullptr;
};

// How the run stands: the way it shows the game now, whether the round
// holds still, whether its end is decided and with which code, and which
// kinds of display failure the user has already been told of. The shell
// keeps one for the run and fills in both ways' steps, the way it starts in
// and the platform that shows the boxes before the policy's first call.
struct DisplayRun {
    DisplaySteps fullScreen;
    DisplaySteps window;
    int32_t inWindow = 0;  // shown the `window` way: an ordinary window, the display's mode untouched
    int32_t held = 0;      // without the focus: no step, no time counted, the picture shown where it can be
    PlatformServices platform;
    int32_t quitPosted = 0;      // the loop ends at its next turn
    int exitCode = kExitNormal;  // the first reason's code; later ones do not replace it
    int32_t queryFailureShown = 0;
    int32_t changeFailureShown = 0;
};

// The steps of the way the run shows the game now.
const DisplaySteps& currentSteps(const DisplayRun& run);

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
// then the cursor hidden whatever the switch did; the round goes on.
void onActivated(DisplayRun& run);

// Activated by a click (Windows): the round goes on, and the display's mode
// and the cursor stay as they are.
void onActivatedByClick(DisplayRun& run);

// The window came back from the taskbar without the focus (some window
// managers restore without activating): a full-screen game must not stay a
// small window in the desktop's mode, so its mode again as on activation;
// the round still holds until the focus returns.
void onRestoredWithoutFocus(DisplayRun& run);

// The window lost the focus: cursor shown, window minimised unless the game
// is quitting, then the desktop's mode back. The round holds still until
// the focus returns: keys would reach another window meanwhile.
void onDeactivated(DisplayRun& run, int32_t quitRequested);

// Whether a frame plays the round now (its step, or the end screen's time):
// not while the window is held without the focus, nor while the round is
// paused. A frame that does not play only shows the picture again.
bool framePlays(const DisplayRun& run, const Game& game);

// Viewport and projection for a drawable of width x height pixels as the run
// shows the game: all of it full screen; in a window the game's picture of
// `picture`'s size in its own aspect, with black bars.
void sizeView(const DisplayRun& run, const Resolution& picture, int32_t width, int32_t height);

// Alt+Enter and F11 during a round: full screen to the ordinary window of
// the game's size, the desktop's mode back; or the window to full screen
// with the start's query and switch. Mid-round a refusal is no reason to
// end the game: it shows no box, says so on stderr and plays on in the
// window. Neither way's refusal is the run's end. The switch's own time is
// not played (the game's frame clock starts afresh).
void toggleFullScreen(DisplayRun& run, Game& game);
