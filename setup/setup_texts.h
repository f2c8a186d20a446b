#pragma once
// The setup dialog's texts in Czech, the game's language, and English. A
// '_' marks the letter of a mnemonic (Alt + letter); the Windows dialog turns
// it into its '&'. UTF-8 throughout.

#include <string>

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
    const char* close;
    const char* controls;       // the keys and the gamepad, a few lines
    const char* version;        // followed by the version number
    const char* cannotSave;     // followed by the reason
    const char* cannotStart;    // followed by the reason
    const char* refusedCode;    // the game ended with code 1
    const char* notStarted;     // the game ended with code 2
    const char* endedWith;      // any other failure, followed by the code
};

const SetupTexts& setupTexts(Language language);

// "1024 × 768", with the default's remark and the screen's: nothing when it
// can show the row full screen, else whether a window of its size fits.
std::string resolutionLabel(const SetupTexts& texts, int row, bool fullScreen, bool window);

// The line the dialog shows after a round that ended with this exit code
// (128 + N after signal N); empty after a normal end.
std::string gameEndLine(const SetupTexts& texts, int exitCode);
