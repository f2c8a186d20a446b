// What the page's form asks of the program before any round: the setup
// dialog's texts in the browser's language, the choices the dialogs offer,
// the launch code of the form's choice as they write it, and whether a code
// kept from an earlier visit is still one the game plays. The page keeps no
// copy of any of it.

#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/settings.h"
#include "setup/launch_settings.h"
#include "setup/setup_texts.h"

namespace {
// A JSON string; the mnemonic's '_' goes, as does a label's closing ':'.
std::string jsonLabel(const char* text) {
    std::string label;
    for (const char* c = text; *c; ++c) {
        if (*c == '_') continue;
        if (*c == '\n') {
            label += "\\n";
            continue;
        }
        if (*c == '"' || *c == '\\') label += '\\';
        label += *c;
    }
    if (!label.empty() && label.back() == ':') label.pop_back();
    return '"' + label + '"';
}
}  // namespace

// The form's labels in the language of the browser's language tag ("cs-CZ").
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaSetupTexts(const char* languageTag) {
    static std::string json;
    const SetupTexts& texts = setupTexts(languageOf(languageTag));
    json = std::string("{\"language\":\"") + (languageOf(languageTag) == Language::Czech ? "cs" : "en") +
           "\",\"resolution\":" + jsonLabel(texts.resolution) + ",\"blending\":" + jsonLabel(texts.blending) +
           ",\"bottles\":" + jsonLabel(texts.bottles) + ",\"sound\":" + jsonLabel(texts.sound) +
           ",\"play\":" + jsonLabel(texts.play) + ",\"watchBest\":" + jsonLabel(texts.watchBest) +
           ",\"controls\":" + jsonLabel(texts.controls) + "}";
    return json.c_str();
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
