#pragma once
// The browser program's own record: the round's state between animation
// frames and the test-only clock. The game itself lives in the portable Game
// record; the page around it (form, dialogs, sound) is index.html and
// web_library.js.

#include <cstdint>

struct Game;

struct WebShell {
    bool roundOn = false;         // from Play to the end screen's close; keys reach the game
    bool closeRequested = false;  // the end screen asked to close
    bool catchOffered = false;    // the round's catch went to the best catches
    int64_t frames = 0;           // frames drawn in this round

    // For tests only: a counter that moves a fixed step every frame instead
    // of following the clock, and a round that holds still after a number of
    // frames. 0 means off.
    int64_t fixedStepNanoseconds = 0;
    int64_t virtualCounter = 0;
    int64_t frameLimit = 0;
};

// The program's one shell record (shell/web/web_platform.cpp).
WebShell& webShell();

// Once the round is over, its catch goes once (*offered) to the best catches
// in the page's storage (shell/web/web_records.cpp).
void keepWebCatch(const Game& game, bool* offered);

// The page's side, in web_library.js.
extern "C" {
// Makes the WebGL context with the desktop OpenGL emulation, and the texture
// names the game binds. Returns 0 when the browser gives no WebGL.
int webCreateContext();
void webShowError(const char* text);
void webPlaySound(const char* fileName);
// One row of the resolution table, for the page's size choice.
void webAddResolution(int index, int width, int height);
// The runtime and the pictures are ready: the page can offer Play.
void webReady();
// A round started with these settings: the page's form shows them.
void webRoundStarted(int resolutionIndex, int blending, int bottles, int sound);
void webFirstFrame();
// The round held still after its test-only frame limit.
void webRoundHeld();
// The end screen closed: the page goes back to its form.
void webRoundEnded();
}
