// korvada in the browser: the program's records and every call the page
// makes into it. main() makes the WebGL context and waits for the page's
// pictures; the page then starts rounds (korvadaPlay, korvadaWatch), each a
// fresh round on the same pictures, drawn on the browser's animation frames
// until the end screen closes it and the page shows its form again. Its
// events are web_events.cpp's, its pads web_pads.cpp's, the page around it
// index.html and web_library.js. The README's "Play in the browser" says
// what the page does for the player.

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "assets/texture.h"
#include "core/daily_round.h"
#include "core/game.h"
#include "core/player_name.h"
#include "core/random.h"
#include "core/round_driver.h"
#include "render/play_frame.h"
#include "render/scene.h"
#include "setup/setup_texts.h"
#include "shell/frame.h"
#include "setup/watching_title.h"
#include "shell/web/web_shell.h"

namespace {
// The one game record, constructed before main() like every static, the
// driver of its rounds, and the shell's own: the page's calls carry none.
// The shell's record is made anew for each round; the driver outlives it,
// so that a watched round stopped midway still gives the page's generator back.
Game game;
RoundDriver driver;
WebShell shell;

// The browser's first language, as the page chooses its texts.
std::string browserLanguage() {
    return emscripten_run_script_string("(navigator.languages && navigator.languages[0]) || navigator.language || ''");
}

void endRound() {
    emscripten_cancel_main_loop();
    releaseAllKeys(game);
    shell.roundOn = false;
    webRoundEnded();
}

void frame() {
    shell.virtualCounter += shell.fixedStepNanoseconds;
    readPads(game, shell);
    paintFrame(game, driver, shell.marks);
    for (const std::string& said : {offerRoundsCatch(game, driver, &shell.bestCatches, std::time(nullptr)),
                                    leaveRoundWaiting(game, driver, &shell.waitingRound, std::time(nullptr))})
        if (!said.empty()) std::fprintf(stderr, "korvada: %s\n", said.c_str());
    shell.marks.newBest = shell.bestCatches.newBest;
    if (++shell.frames == 1) webFirstFrame();
    if (shell.closeRequested) {
        endRound();
    } else if (shell.frameLimit > 0 && shell.frames >= shell.frameLimit) {
        emscripten_cancel_main_loop();
        webRoundHeld();
    }
}

EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void*) {
    return handleKey(game, shell, eventType, *event) ? EM_TRUE : EM_FALSE;
}

EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void*) {
    shell.away = true;
    loseFocus(game, shell);
    return EM_FALSE;
}

EM_BOOL onFocus(int, const EmscriptenFocusEvent*, void*) {
    shell.away = false;
    comeBack(game);
    return EM_FALSE;
}

// The page in or out of full screen (Alt+Enter, F11, the browser's Esc):
// the switch's time is not played.
EM_BOOL onFullScreenChange(int, const EmscriptenFullscreenChangeEvent*, void*) {
    comeBack(game);
    return EM_FALSE;
}

EM_BOOL onVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    if (!event->hidden) comeBack(game);
    return EM_FALSE;
}

// A round from its start, new or the `watched` recording's: a page does not
// exit, so each starts as a new run's would, on the pictures the page
// already has.
void beginRound(const GameSettings& settings, const RoundStart& start, double step, double frameLimit) {
    const bool away = shell.away;  // a pad's A may start a round without the focus
    shell = WebShell();
    shell.away = away;
    shell.marks.pads = &shell.pads;
    shell.marks.texts = &languageOf(browserLanguage()).notices;
    shell.fixedStepNanoseconds = step > 0 ? std::llround(step * 1e9) : 0;
    shell.frameLimit = frameLimit > 0 ? static_cast<int64_t>(frameLimit) : 0;
    startRoundFrom(driver, game, settings, start);

    const Resolution size = resolutionOf(settings);
    emscripten_set_canvas_element_size("#canvas", size.width, size.height);
    setupView(size.width, size.height);
    shell.roundOn = true;
    // The form keeps the viewer's choice, a watched round's look aside.
    webRoundStarted(settings.resolutionIndex, settings.blending, bottlesToLay(settings), settings.sound);
    emscripten_set_main_loop(frame, 0, 0);
}
}  // namespace

// Starts a round with a launch code, as the program's command line would. A
// bad code shows its message and starts nothing (returns 0). The other
// arguments are for tests only: a seed (negative: from the time as usual), a
// fixed step in seconds for every frame (0: the clock) and a number of frames
// after which the round holds still (0: no limit).
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaPlay(const char* code, double seed, double step, double frameLimit) {
    if (shell.roundOn) return 0;
    GameSettings settings;
    if (!decodeLaunchCode(game.platform, code, &settings)) return 0;
    if (seed >= 0) seedRandom(static_cast<uint32_t>(seed));
    RoundStart start;
    start.facts.day = todayUtc(std::time(nullptr));
    beginRound(settings, start, step, frameLimit);
    return 1;
}

// A round as `korvada [--daily] [--name NAME] [--ticket T] CODE` plays it:
// today's (daily 1) or a free one, the player's name and a board's ticket
// in its recording. A bad code or a name the rule refuses shows its message
// and starts nothing (returns 0). The seed (free rounds only), step and
// frame limit as korvadaPlay's.
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaPlayRound(const char* code, int daily, const char* name, const char* ticket,
                                                     double seed, double step, double frameLimit) {
    if (shell.roundOn) return 0;
    GameSettings settings;
    if (!decodeLaunchCode(game.platform, code, &settings)) return 0;
    LaunchOptions options;
    options.daily = daily != 0;
    options.name = name;
    options.ticket = ticket;
    RoundStart start;
    std::string why;
    if (!roundStartOf(options, std::time(nullptr), &start, &why)) {
        game.platform.showError(game.platform.shell, (std::string(kRefusedNameMessage) + "\n" + why).c_str());
        return 0;
    }
    if (seed >= 0 && !options.daily) seedRandom(static_cast<uint32_t>(seed));
    beginRound(settings, start, step, frameLimit);
    return 1;
}

// Plays the best round kept for the code's bottles back, seen with the
// code's size and sound, as `korvada --watch` does; a round kept for none,
// or refused, is said (the reason in the page's box) and nothing starts
// (returns 0). The step and frame limit as korvadaPlay's.
// `place`: the row of the list of the ten best (0, the best, for Watch best).
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaWatch(const char* code, double step, double frameLimit, int place) {
    if (shell.roundOn) return 0;
    GameSettings settings;
    if (!decodeLaunchCode(game.platform, code, &settings)) return 0;
    static RoundRecording watched;
    std::string trouble;
    if (!storedBestRound(bottlesToLay(settings), &watched, &trouble, place)) {
        game.platform.showError(game.platform.shell, (std::string(kRefusedRecordingMessage) + "\n" + trouble).c_str());
        return 0;
    }
    RoundStart start;
    start.watched = &watched;
    beginRound(settings, start, step, frameLimit);
    return 1;
}

// Plays the recording the page wrote to `file` in the game's file system (a
// file dropped on the page, one the browser opens with it, a board's round),
// seen with the code's size and sound, as `korvada FILE` plays one. Returns
// the window's title for it ({"title": ...}), or the form's line saying in
// the language why it is refused ({"refused": ...}) when it starts nothing;
// `failed` is why the page got no file (a board that did not answer), or "".
// The step and frame limit as korvadaPlay's.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaWatchFile(const char* code, const char* file, const char* failed,
                                                            const char* languageTag, double step, double frameLimit) {
    static std::string answer;
    const Language& language = languageOf(languageTag);
    static RoundRecording watched;
    std::string trouble;
    GameSettings settings;
    if (*failed != '\0') trouble = failed;
    else if (shell.roundOn) trouble = "a round is on";
    else if (!parseLaunchCode(code, &settings)) trouble = "the form's code is no launch code";
    else readRecordingFile(file, &watched, &trouble);
    // The reason names the page's own file, which the player never saw.
    const std::string named = std::string(file) + ": ";
    if (trouble.compare(0, named.size(), named) == 0) trouble.erase(0, named.size());
    const bool refused = !trouble.empty();
    std::string text = refused ? language.boardClient.cannotWatch : watchingTitle(language, watched);
    if (refused) text.replace(text.find("{}"), 2, reasonIn(language.setup, trouble));
    answer = std::string("{\"") + (refused ? "refused" : "title") + "\":\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') answer += '\\';
        if (static_cast<unsigned char>(c) >= ' ') answer += c;
    }
    answer += "\"}";
    if (refused) return answer.c_str();
    RoundStart start;
    start.watched = &watched;
    beginRound(settings, start, step, frameLimit);
    return answer.c_str();
}

// The page lost its WebGL context: the round stops where it is, without its
// end screen, and the page offers a fresh start.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaStop() {
    if (!shell.roundOn) return;
    emscripten_cancel_main_loop();
    releaseAllKeys(game);
    shell.roundOn = false;
}

// The touch controls (index.html): a key held (down 1) or let go (down 0),
// every finger lost to the page (a cancelled touch, the page hidden), and the
// camera button.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaTouch(int key, int down) { touchKey(game, shell, key, down != 0); }
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaTouchReleaseAll() { loseTouch(game); }
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaTouchCamera() { touchCamera(game, shell); }
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaTouchPause() { touchPause(game, shell); }

// Once an animation frame, from the page: what the pads ask of its form.
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaFormPads(int formShown) { return readFormPads(shell, formShown != 0); }

// What the browser tests read: the frames drawn, the camera, the player's
// bottle (exactly, as korvada-replay prints it), whether the round is over,
// how many keys are held, the catch, whether the round is paused, the cues
// muted, and the round a recording's.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaState() {
    static char text[320];
    const Bottle& player = game.bottles[0];
    int held = 0;
    for (const int32_t down : game.keyDown) held += down ? 1 : 0;
    std::snprintf(text, sizeof text,
                  "{\"frames\":%lld,\"camera\":%d,\"x\":%.9g,\"y\":%.9g,\"z\":%.9g,\"gameOver\":%d,\"roundOn\":%d,"
                  "\"held\":%d,\"score\":%d,\"paused\":%d,\"muted\":%d,\"watched\":%d}",
                  static_cast<long long>(shell.frames), game.cameraIndex + 1, player.x, player.y, player.z,
                  game.gameOver, shell.roundOn ? 1 : 0, held, player.score, game.paused, game.muted,
                  roundWatched(driver) ? 1 : 0);
    return text;
}


// Draws a round's first frame with no pictures yet, out of sight: OpenGL's
// emulation makes and compiles its shaders for what a frame draws the first
// time it draws it. The page asks for it while its data is being made, which
// takes long; the data read back on a later visit would wait for it.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaWarmUp() {
    game.startRound(GameSettings());
    const Resolution size = resolutionOf(game.settings);
    setupView(size.width, size.height);
    drawPlayFrame(game);
}

// Once main() has run and the page has written the game's files: the
// pictures, and then the page may offer Play.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaLoadPictures() {
    loadTextures(game);
    webReady();
}

int main() {
    game.usePlatform(platformServices(shell));
    if (!webCreateContext()) return 2;
    initGlState();
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKey);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onBlur);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onFocus);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, onVisibilityChange);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, onFullScreenChange);
    for (int i = 0; i < kResolutionCount; ++i) webAddResolution(i, resolutionTable[i].width, resolutionTable[i].height);
    webAwaitPictures();
    return 0;
}
