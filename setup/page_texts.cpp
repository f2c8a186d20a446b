#include "setup/page_texts.h"

#include <cstdio>

#include "setup/setup_texts.h"

namespace {
// A JSON string of a text.
std::string quoted(const char* text) {
    std::string json = "\"";
    for (const char* c = text; *c != '\0'; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (*c == '"' || *c == '\\') {
            json += '\\';
            json += *c;
        } else if (*c == '\n') {
            json += "\\n";
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += *c;
        }
    }
    return json + '"';
}

// A dialog's label as the page's form shows it: the mnemonic's '_' and a
// label's closing ':' go.
std::string label(const char* text) {
    std::string plain;
    for (const char* c = text; *c != '\0'; ++c)
        if (*c != '_') plain += *c;
    if (!plain.empty() && plain.back() == ':') plain.pop_back();
    return plain;
}

struct Named {
    const char* name;
    std::string text;
};

std::string object(std::initializer_list<Named> texts) {
    std::string json = "{";
    for (const Named& named : texts) json += (json.size() > 1 ? "," : "") + quoted(named.name) + ':' + quoted(named.text.c_str());
    return json + '}';
}

std::string textsOf(const Language& language) {
    const SetupTexts& s = language.setup;
    const PageTexts& p = language.page;
    return object({
        {"resolution", label(s.resolution)}, {"bottles", label(s.bottles)}, {"blending", label(s.blending)},
        {"sound", label(s.sound)}, {"fullscreen", label(s.fullScreen)}, {"play", label(s.play)},
        {"watchBest", label(s.watchBest)}, {"controls", s.controls}, {"bestTen", s.bestTen},
        {"watchRow", s.watchRow}, {"name", label(s.name)}, {"todaysRound", label(s.todaysRound)},
        {"saveRound", label(s.saveRound)},
        {"loading", p.loading}, {"preparing", p.preparing}, {"notKept", p.notKept}, {"noSpace", p.noSpace},
        {"noStorage", p.noStorage}, {"failed", p.failed}, {"noWebGL", p.noWebGL}, {"lostTitle", p.lostTitle},
        {"lost", p.lost}, {"back", p.back}, {"touchLine", p.touchLine}, {"touchCamera", p.touchCamera},
        {"touchEnd", p.touchEnd}, {"touchPause", p.touchPause}, {"touchGoOn", p.touchGoOn}, {"turnHint", p.turnHint},
    });
}
}  // namespace

std::string pageTextsJson() {
    std::string json = "[";
    for (int i = 0; i < kLanguageCount; ++i)
        json += std::string(i ? "," : "") + "{\"code\":" + quoted(kLanguages[i].code) +
                ",\"texts\":" + textsOf(kLanguages[i]) + '}';
    return json + ']';
}
