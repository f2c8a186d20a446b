#pragma once
// The browser program's own record: the round's state between animation
// frames, the browser's pads and the test-only clock. The game itself lives
// in the portable Game record; the page around it (form, dialogs, sound) is
// index.html and web_library.js.

#include <emscripten/html5.h>

#include <cstdint>
#include <string>

#include "core/best_catches.h"
#include "core/platform.h"
#include "shell/shell_keys.h"
#include "shell/shell_marks.h"
#include "setup/pad_menu.h"
#include "setup/waiting_rounds.h"
#include "core/pad_mapping.h"

struct Game;
struct RoundRecording;

// The table of best catches in the page's storage (shell/web/web_records.cpp).
CatchStore pageCatchStore();

// Today's rounds waiting for a board in the page's storage (shell/web/web_board.cpp).
WaitingStore pageWaitingStore();

struct WebShell {
    bool roundOn = false;         // from Play to the end screen's close; keys reach the game
    bool closeRequested = false;  // the end screen asked to close
    CatchKeeper bestCatches{pageCatchStore()};  // offered the round's catch once it is over
    WaitingKeeper waitingRound{pageWaitingStore()};  // and today's round, for the board
    KeyLatch keyLatch;            // the key of the last shell action while it is held
    ShellMarks marks;             // the fast watch and the notices (shell/shell_marks.h)
    int64_t frames = 0;           // frames drawn in this round
    Pads pads;                    // the browser's pads, by their place in its list
    bool away = false;            // the page without the focus: its pads are not read
    PadMenu formMenu;             // the pads working the page's form between rounds

    // For tests only: a counter that moves a fixed step every frame instead
    // of following the clock, and a round that holds still after a number of
    // frames. 0 means off.
    int64_t fixedStepNanoseconds = 0;
    int64_t virtualCounter = 0;
    int64_t frameLimit = 0;
};

// --- shell/web/web_platform.cpp ----------------------------------------------

// The platform services of core/platform.h in the browser, on this shell's
// record, for the Game.
PlatformServices platformServices(WebShell& shell);

// --- shell/web/web_events.cpp ------------------------------------------------

// A key pressed or let go on the page while a round is on: to the key table,
// or the shell's own action (Alt+Enter and F11 toggle the page's full
// screen). True when the page keeps the key from the browser (the game's
// own keys, so that arrows and Space do not scroll it, and the toggle's).
bool handleKey(Game& game, WebShell& shell, int eventType, const EmscriptenKeyboardEvent& event);

// The page lost the focus: every key lets go, as its key-up goes elsewhere.
void loseFocus(Game& game, WebShell& shell);

// The page focused or its tab shown again: time away is not played.
void comeBack(Game& game);

// A touch control held (down) or let go a key of core/keys.h, the next
// camera's button, the pause button, and every finger lost to the page at
// once.
void touchKey(Game& game, const WebShell& shell, int32_t key, bool down);
void touchCamera(Game& game, const WebShell& shell);
void touchPause(Game& game, const WebShell& shell);
void loseTouch(Game& game);

// --- shell/web/web_records.cpp -------------------------------------------------

// The recording of the best round with `bottles` bottles in the page's
// storage; false with the reason in *trouble when there is none or it is
// refused (core/recording.h).
// The round of the row at `place` (0 the best) kept for `bottles`.
bool storedBestRound(int bottles, RoundRecording* recording, std::string* trouble, int place = 0);

// --- shell/web/web_pads.cpp --------------------------------------------------

// Every pad of the browser's list read into the shell's Pads, once a frame,
// while the page has the focus.
void readPads(Game& game, WebShell& shell);

// Once an animation frame between rounds: what the pads ask of the page's
// form (PadMenuAction bits) while it is shown. Otherwise they ask nothing,
// and what they hold when the form comes back acts only once pressed anew.
int readFormPads(WebShell& shell, bool formShown);

// The page's side, in web_library.js.
extern "C" {
// Makes the WebGL context with the desktop OpenGL emulation, and the texture
// names the game binds. Returns 0 when the browser gives no WebGL.
int webCreateContext();
void webShowError(const char* text);
void webPlaySound(const char* fileName);
// One row of the resolution table, for the page's size choice.
void webAddResolution(int index, int width, int height);
// The runtime is ready for the pictures: the page calls korvadaLoadPictures
// once it has written the game's files.
void webAwaitPictures();
// The runtime and the pictures are ready: the page can offer Play.
void webReady();
// A round started with these settings: the page's form shows them.
void webRoundStarted(int resolutionIndex, int blending, int bottles, int sound);
void webFirstFrame();
// The round held still after its test-only frame limit.
void webRoundHeld();
// The end screen closed: the page goes back to its form.
void webRoundEnded();
// The page's full screen on or off; only inside a key's own event, where the
// browser allows a page to ask for it.
void webToggleFullScreen();
// Offers a PNG's bytes as a download of this name; 0 when the page cannot.
int webSavePicture(const char* name, const char* bytes, int size);
}
