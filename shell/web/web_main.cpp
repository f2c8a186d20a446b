// korvada in the browser. main() makes the WebGL context and uploads the
// pictures once; then the page starts rounds through korvadaPlay, each one a
// fresh game on the same pictures, drawn on the browser's animation frames
// until the end screen closes it and the page shows its form again.
//
// What this program does (Emscripten, OpenGL 1.1 through WebGL 1):
// - the page's form writes the launch code (index.html); the canvas takes the
//   chosen size, and full screen, when asked for, is the browser's own over
//   the page: the display's mode never changes;
// - frames on the browser's animation frames, so at the display's refresh,
//   and none while the page is hidden; time away is not played (the clock
//   starts afresh when the tab is shown or the page focused again);
// - sound: the cues through the page's audio, once the player's first key or
//   click allows it, each cutting off the last (web_library.js);
// - keys by place, letters by layout; the keypad without NumLock steers as the
//   arrows do; Alt chords and F10 reach nothing; keys held when the page loses
//   the focus are let go (web_keys.cpp);
// - gamepads in the browser's standard mapping, read once a frame, in the
//   round and in the form (web_pads.cpp);
// - the round's catch kept in the page's storage when it beats the best for
//   its number of bottles (web_records.cpp);
// - error messages on the page and in the browser's console.
// - on a touch screen, the page's on-screen controls hold keys through the
//   touch source (korvadaTouch, index.html); a tap on the end screen is Enter.
// What it lacks: switching the display's mode; the mouse does nothing.

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>

#include "assets/texture.h"
#include "core/game.h"
#include "core/random.h"
#include "render/scene.h"
#include "shell/frame.h"
#include "shell/pad_mapping.h"
#include "shell/web/web_keys.h"
#include "shell/web/web_pads.h"
#include "shell/web/web_shell.h"

namespace {
// The one game record, constructed before main() like every static.
Game game;

// A page does not exit: a new round needs what a new run would have, a Game
// as constructed before main() (key table, camera, frame clock, a seed from
// the time, no end-screen time), with the pictures it already has.
void freshGame() {
    Texture textures[kSceneTextureCount];
    for (int i = 0; i < kSceneTextureCount; ++i) textures[i] = game.textures[i];
    const Texture font = game.fontTexture;
    game = Game();
    for (int i = 0; i < kSceneTextureCount; ++i) game.textures[i] = textures[i];
    game.fontTexture = font;
}

// Keys held when the page loses the focus would never come up.
void releaseKeys() { game.releaseSource(KeyboardInput); }

// The browser's pads, in the order of its list.
Pads pads;

// Browsers give no events for a pad's buttons: its state is read every
// frame. A pad gone from the list, or no longer connected, lets go.
void readPads() {
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
    const int count = emscripten_get_num_gamepads();
    for (int slot = 0; slot < kPadSlots; ++slot) {
        EmscriptenGamepadEvent pad;
        if (slot < count && emscripten_get_gamepad_status(slot, &pad) == EMSCRIPTEN_RESULT_SUCCESS && pad.connected)
            updatePad(game, pads, slot, padStateOf(pad));
        else
            losePad(game, pads, slot);
    }
}

void endRound() {
    WebShell& shell = webShell();
    emscripten_cancel_main_loop();
    releaseKeys();
    shell.roundOn = false;
    webRoundEnded();
}

void frame() {
    WebShell& shell = webShell();
    shell.virtualCounter += shell.fixedStepNanoseconds;
    readPads();
    paintFrame(game);
    keepWebCatch(game, &shell.catchOffered);
    if (++shell.frames == 1) webFirstFrame();
    if (shell.closeRequested) {
        endRound();
    } else if (shell.frameLimit > 0 && shell.frames >= shell.frameLimit) {
        emscripten_cancel_main_loop();
        webRoundHeld();
    }
}

EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void*) {
    if (!webShell().roundOn || isSystemWebKey(event->code, event->altKey)) return EM_FALSE;
    const int32_t key = virtualKeyOfWebKey(event->code, event->key);
    if (key < 0) return EM_FALSE;
    // Auto-repeats arrive as further presses and are handled like the first.
    if (eventType == EMSCRIPTEN_EVENT_KEYDOWN)
        game.onKeyDown(key);
    else
        game.onKeyUp(key);
    return browserKeepsKey(event->code, event->ctrlKey || event->metaKey) ? EM_FALSE : EM_TRUE;
}

EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void*) {
    releaseKeys();
    return EM_FALSE;
}

// Time away is not played: a hidden tab gets no animation frames, and the
// first frame after the return would otherwise get the whole absence.
void onBack() { game.frameClock.reset(); }

EM_BOOL onFocus(int, const EmscriptenFocusEvent*, void*) {
    onBack();
    return EM_FALSE;
}

EM_BOOL onVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    if (!event->hidden) onBack();
    return EM_FALSE;
}
}  // namespace

// Starts a round with a launch code, as the program's command line would. A
// bad code shows its message and starts nothing (returns 0). The other
// arguments are for tests only: a seed (negative: from the time as usual), a
// fixed step in seconds for every frame (0: the clock) and a number of frames
// after which the round holds still (0: no limit).
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaPlay(const char* code, double seed, double step, double frameLimit) {
    WebShell& shell = webShell();
    if (shell.roundOn) return 0;
    GameSettings settings;
    if (!decodeLaunchCode(code, &settings)) return 0;

    freshGame();
    pads = Pads();
    game.settings = settings;
    shell = WebShell();
    shell.fixedStepNanoseconds = step > 0 ? std::llround(step * 1e9) : 0;
    shell.frameLimit = frameLimit > 0 ? static_cast<int64_t>(frameLimit) : 0;
    if (seed >= 0) seedRandom(static_cast<uint32_t>(seed));
    game.setupRound(bottlesToLay(settings), kRoundBubbles);

    const Resolution size = resolutionOf(settings);
    emscripten_set_canvas_element_size("#canvas", size.width, size.height);
    setupView(size.width, size.height);
    shell.roundOn = true;
    webRoundStarted(settings.resolutionIndex, settings.blending, bottlesToLay(settings), settings.sound);
    emscripten_set_main_loop(frame, 0, 0);
    return 1;
}

// A touch control held (down 1) or let go (down 0) a key of core/keys.h.
// Between rounds the game takes no new key; letting go is always safe.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaTouch(int key, int down) {
    if (!down)
        game.releaseKey(TouchInput, key);
    else if (webShell().roundOn)
        game.pressKey(TouchInput, key);
}

// A finger lost to the page (a cancelled touch, the page hidden) lets go of
// everything touch held.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaTouchReleaseAll() { game.releaseSource(TouchInput); }

// The camera button: the next preset after the one shown, 6 wrapping to 1,
// pressed and let go as its number key would be.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaTouchCamera() {
    if (!webShell().roundOn) return;
    const int key = kKey1 + (game.cameraIndex + 1) % (kKey6 - kKey1 + 1);
    game.pressKey(TouchInput, key);
    game.releaseKey(TouchInput, key);
}

// The page lost its WebGL context: the round stops where it is, without its
// end screen, and the page offers a fresh start.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaStop() {
    if (!webShell().roundOn) return;
    emscripten_cancel_main_loop();
    releaseKeys();
    webShell().roundOn = false;
}

// What the browser tests read: the frames drawn, the camera, the player's
// bottle, whether the round is over and how many keys are held.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaState() {
    static char text[256];
    const Bottle& player = game.bottles[0];
    int held = 0;
    for (const int32_t down : game.keyDown) held += down ? 1 : 0;
    std::snprintf(text, sizeof text,
                  "{\"frames\":%lld,\"camera\":%d,\"x\":%.3f,\"y\":%.3f,\"z\":%.3f,\"gameOver\":%d,\"roundOn\":%d,"
                  "\"held\":%d}",
                  static_cast<long long>(webShell().frames), game.cameraIndex + 1, player.x, player.y, player.z,
                  game.gameOver, webShell().roundOn ? 1 : 0, held);
    return text;
}

int main() {
    if (!webCreateContext()) return 2;
    initGlState();
    loadTextures(game);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKey);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onBlur);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onFocus);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, onVisibilityChange);
    for (int i = 0; i < kResolutionCount; ++i) webAddResolution(i, resolutionTable[i].width, resolutionTable[i].height);
    webReady();
    return 0;
}
