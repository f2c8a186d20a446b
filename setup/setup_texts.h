#pragma once
// The setup dialog's texts in Czech, the game's language, and English. A
// '_' marks the letter of a mnemonic (Alt + letter); the Windows dialog turns
// it into its '&'. UTF-8 throughout.

#include <string>

#include "core/best_catches.h"

enum class Language { Czech, English };

// Czech for a Czech locale name ("cs", "cs_CZ.UTF-8", "cs-CZ", a "cs:en"
// priority list), English for every other one, the C locale included.
Language languageOf(const std::string& localeName);

struct SetupTexts {
    const char* title;
    const char* resolution;
    const char* defaultRow;     // after row 0, which the code "0…" names
    const char* notOffered;     // after a row the screen can show neither way
    const char* windowOnly;     // after a row the screen can show in a window only
    const char* noneOffered;    // when the screen shows none of the rows
    const char* colourDepth;
    const char* bits16;
    const char* bits32;
    const char* blending;
    const char* bottles;
    const char* sound;
    const char* fullScreen;
    const char* play;
    const char* watchBest;      // plays the best round kept for the bottles chosen back
    const char* close;
    const char* controls;       // the keys and the gamepad, a few lines
    const char* version;        // followed by the version number
    const char* cannotSave;     // followed by the reason
    const char* cannotStart;    // followed by the reason
    const char* refusedCode;    // the game ended with code 1
    const char* notStarted;     // the game ended with code 2
    const char* endedWith;      // any other failure, followed by the code
    const char* best;           // followed by the best catch's bubbles
    const char* noBest;         // no round with this many bottles kept yet
    const char* newBest;        // after a round that set a new best, followed by its bubbles and "!"
    const char* notKept;        // the best catches cannot be written, followed by the reason
    const char* cannotWatch;    // the best round cannot be played back, followed by the reason
    const char* bubbles[3];     // the word after 1, after 2 to 4, after 0 and 5 or more
    const char* dayMark;        // after the day's number: "9." in Czech
    const char* months[12];     // as a date names them: "12." in Czech, "Dec"
};

const SetupTexts& setupTexts(Language language);

// "1024 × 768", with the default's remark and the screen's: nothing when it
// can show the row full screen, else whether a window of its size fits.
std::string resolutionLabel(const SetupTexts& texts, int row, bool fullScreen, bool window);

// "23 bublin", "1 bubble": the count and the word in its form for it.
std::string bubblesText(const SetupTexts& texts, int bubbles);

// A kept day, "2026-12-09", as the language writes it: "9. 12. 2026",
// "9 Dec 2026"; "" for no day.
std::string dayText(const SetupTexts& texts, const std::string& date);

// The line beside the number of bottles: "Best: 23 bubbles (9 Dec 2026)",
// or that no round with that many bottles is kept yet.
std::string bestCatchLine(const SetupTexts& texts, const BestCatch& best);

// After a round: "New best: 25 bubbles!" when the best for its number of
// bottles went from `before` to a higher `after`; empty otherwise, also for
// a first round that caught nothing.
std::string newBestLine(const SetupTexts& texts, const BestCatch& before, const BestCatch& after);

// The line the dialog shows after a round that ended with this exit code
// (128 + N after signal N); empty after a normal end.
std::string gameEndLine(const SetupTexts& texts, int exitCode);

// What the dialog says once a round is over: why the game failed, or the
// new best the round set; then what could not be written meanwhile, each
// once with its reason: the settings at Play (`notSaved`) and the best
// catches (`notKept`). `trouble` when any of it is a failure.
struct RoundEnd {
    std::string line;
    bool trouble = false;
};
RoundEnd roundEndLine(const SetupTexts& texts, int exitCode, const BestCatch& before, const BestCatch& after,
                      const std::string& notSaved, const std::string& notKept);
