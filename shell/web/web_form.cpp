// What the page's form asks of the program before any round: the setup
// dialog's texts in the browser's language, and whether a launch code kept
// from an earlier visit is still one the game plays.

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "core/settings.h"
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
           ",\"play\":" + jsonLabel(texts.play) + ",\"controls\":" + jsonLabel(texts.controls) + "}";
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
