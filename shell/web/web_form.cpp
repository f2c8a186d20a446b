// What the page's form asks of the program before any round: the choices
// the dialogs offer, the launch code of the form's choice as they write it,
// whether a code kept from an earlier visit is still one the game plays,
// and whether the best round kept is one to watch. The page keeps no copy of
// any of it; its texts are the languages' table, put into it by the build
// (setup/page_texts.h).

#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/recording.h"
#include "core/settings.h"
#include "setup/launch_settings.h"
#include "setup/setup_texts.h"
#include "shell/web/web_shell.h"

// Watch best: offered for the bottles chosen only while their kept round is
// one the game would play, read and checked by the game's own reader; one
// damaged since it was offered is refused on the form's line, in the page's
// language, as the dialogs refuse it.
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaWatchOffered(int bottles, int place) {
    RoundRecording recording;
    std::string trouble;
    return storedBestRound(bottles, &recording, &trouble, place) ? 1 : 0;
}

// The form's line for a round that cannot be watched, or "" for one the game plays.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaWatchRefusal(const char* languageTag, int bottles, int place) {
    static std::string line;
    RoundRecording recording;
    std::string trouble;
    line.clear();
    if (!storedBestRound(bottles, &recording, &trouble, place)) {
        std::fprintf(stderr, "korvada: %s\n", trouble.c_str());
        const SetupTexts& texts = setupTexts(languageOf(languageTag));
        line = texts.cannotWatch + reasonIn(texts, trouble);
    }
    return line.c_str();
}

// Why the form's name cannot be used, in the page's language, or "" for a
// name the rule takes or none (an empty field).
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaNameRefusal(const char* languageTag, const char* name) {
    static std::string line;
    line = nameRefusal(setupTexts(languageOf(languageTag)), name);
    return line.c_str();
}

// The settings of a code the game would play, as the form shows them, or ""
// for one it refuses; nothing is shown to the player either way.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaFormOfCode(const char* code) {
    static char json[128];
    GameSettings settings;
    if (!parseLaunchCode(code, &settings)) return "";
    std::snprintf(json, sizeof json, "{\"resolutionIndex\":%d,\"blending\":%d,\"bottles\":%d,\"sound\":%d}",
                  settings.resolutionIndex, settings.blending, bottlesToLay(settings), settings.sound);
    return json;
}

// The bottles and the code the form opens with when nothing is kept:
// {"fewestBottles":1,"mostBottles":61,"defaultCode":"0TYAY"}.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaFormChoices() {
    static char json[96];
    std::snprintf(json, sizeof json, "{\"fewestBottles\":%d,\"mostBottles\":%d,\"defaultCode\":\"%s\"}",
                  kFewestBottles, kMostBottles, kDefaultLaunchCode);
    return json;
}

// The bottles the form's field stands for, as the dialogs take a count:
// limited to the offered range; an empty or unreadable field is the default.
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaFormBottles(const char* typed) {
    char* end = nullptr;
    const double number = std::strtod(typed, &end);
    GameSettings settings;
    if (end == typed || !std::isfinite(number)) return kDefaultBottleCount;
    chooseBottles(&settings, static_cast<int>(std::lround(std::fmax(-1e6, std::fmin(1e6, number)))));
    return bottlesToLay(settings);
}

// The launch code of the form's choice (a row of the resolution table, the
// field's bottles, blending and sound on or off), written as the setup
// dialogs write it; 32-bit colour, as the page has no choice of depth.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaCodeOfForm(int resolutionIndex, int blending, const char* bottles,
                                                             int sound) {
    static std::string code;
    GameSettings settings = defaultSettings();
    settings.resolutionIndex = resolutionIndex;
    settings.blending = blending != 0;
    chooseBottles(&settings, korvadaFormBottles(bottles));
    settings.sound = sound != 0;
    code = encodeLaunchCode(settings);
    return code.c_str();
}
