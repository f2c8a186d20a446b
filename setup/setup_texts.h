#pragma once
// Every text our programs show a player, in each language they speak: one
// entry of the languages' table for each (setup_texts.cpp), which the setup
// dialogs, the page (its form and its own lines, made into the page when it
// is built) and the game's notices all read. A language's entry holds its
// words, the rule of its counted words' forms, and its wording of the
// reasons our programs give in English. A '_' marks the letter of a
// mnemonic (Alt + letter); the Windows dialog turns it into its '&'. UTF-8
// throughout.

#include <string>

#include "core/best_catches.h"

// The most forms a counted word has in any language of the table.
constexpr int kMostCountForms = 3;

// An English phrase of a reason and its wording in a language. With `ends`,
// what follows the phrase in the reason goes too: the details are for
// stderr, which stays English.
struct Phrase {
    const char* english;
    const char* said;
    bool ends;
};

// The setup dialogs' texts; the page's form shows their labels.
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
    const char* controls;       // the keys and the gamepad, a few lines of phrases parted by "; "
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
    int (*countForm)(int count);             // which of a counted word's forms follows `count`
    const char* bubbles[kMostCountForms];    // "bubble" in each of its forms
    const char* dayMark;        // after the day's number: "9." in Czech
    const char* months[12];     // as a date names them: "12." in Czech, "Dec"
    const Phrase* reasons;      // the wording of English reasons, ended by a null phrase; null: as they are
    // The list of the ten best rounds for the bottles chosen.
    const char* bestTen;        // its heading
    const char* watchRow;       // a row's button: plays that round back
    const char* noRounds;       // no round with this many bottles kept yet
    const char* noName;         // in the name's column of a round whose recording names nobody
    // The player's name, today's round and saving a row's round to a file.
    const char* name;           // the name field's label
    const char* badName;        // a name the rule refuses, followed by the reason
    const char* todaysRound;    // the button that plays today's round
    const char* today;          // beside it, followed by the day's best bubbles
    const char* noToday;        // nobody has caught anything in today's round here yet
    const char* saveRound;      // a row's button: the round's recording into a file
    const char* savedRound;     // the round was saved, followed by the file
    const char* cannotSaveRound;  // followed by the reason
};

// The page's own lines: its loading, the data it makes, a lost picture, and
// its touch controls.
struct PageTexts {
    const char* loading;
    const char* preparing;      // "{percent}" stands for the share made so far
    const char* notKept;        // the data is not kept, "{reason}" one of the two below
    const char* noSpace;
    const char* noStorage;
    const char* failed;         // the game's program could not be loaded
    const char* noWebGL;
    const char* lostTitle;      // the WebGL picture lost: the box's title, its text, its button
    const char* lost;
    const char* back;
    const char* touchLine;      // the touch controls in a sentence, shown instead of the keys on a phone
    const char* touchCamera;
    const char* touchEnd;
    const char* touchPause;
    const char* touchGoOn;      // the pause button while the round is paused
    const char* turnHint;       // a phone held upright
};

// The game's notices in its picture, for the shells.
struct NoticeTexts {
    const char* pictureSaved;
    const char* pictureNotSaved;
    const char* soundOff;
    const char* soundOn;
    const char* pausedHint;     // on the paused picture: how to go on
    const char* newBest;        // beside the end screen's score
    const char* roundOf;        // whose a watched round is, {} the player's name
};

// A board's pages (korvada-board): the day's board and a round's page.
struct BoardPageTexts {
    const char* title;      // followed by the day
    const char* player;
    const char* bubbles;
    const char* when;
    const char* watch;
    const char* nobody;     // a day nobody has played yet
    const char* previous;
    const char* next;
    const char* today;
    const char* play;
    const char* roundOf;    // followed by the name
    const char* download;
    const char* dayBoard;
    const char* notFound;
};

// What the settings programs say about a board (setup/board_texts.h). "{}"
// in a text stands for the one value it is said with.
struct BoardClientTexts {
    const char* address;        // the address field's label
    const char* addressHint;    // shown in the empty field: the board is off
    const char* badAddress;     // {} why
    const char* topTen;         // the day's list's heading, {} the day as the setup writes it
    const char* nobody;         // nobody on the day's list yet
    const char* noList;         // {} why the list cannot be shown
    const char* watch;          // the button beside a round of the list
    const char* asking;         // while a ticket is asked for
    const char* noTicket;       // {} why: the round plays, but cannot go to the board
    const char* sent;           // {} the bubbles the board counted
    const char* sentMore;       // {} how many more rounds were kept with it
    const char* refused;        // {} the board's reason
    const char* late;           // {} when the round was left: the board's clock rule refused it
    const char* nameTaken;      // {} the name
    const char* unanswered;     // {} why: the round waits for the next start
    const char* dropped;        // {} how many waiting rounds went unsent
    const char* downloading;    // while a round to watch comes
    const char* cannotWatch;    // {} why a listed round cannot be watched
};

struct Language {
    const char* code;  // ISO 639-1, the part of a locale's name that chooses it: "cs"
    SetupTexts setup;
    PageTexts page;
    NoticeTexts notices;
    BoardPageTexts boardPage;      // the board's own pages
    BoardClientTexts boardClient;  // the settings programs' words about a board
};

// The languages' table; the first is the one for every locale no entry names.
extern const Language kLanguages[];
extern const int kLanguageCount;

// The entry whose code is `code` (a language's ISO 639-1 code, any case);
// null when no entry has it.
const Language* languageCoded(const std::string& code);

// The entry whose code is the locale name's language ("cs" of "cs_CZ.UTF-8",
// "cs-CZ", a "cs:en" priority list), the first entry for any other name,
// the C locale included.
const Language& languageOf(const std::string& localeName);

inline const SetupTexts& setupTexts(const Language& language) { return language.setup; }

// "1024 × 768", with the default's remark and the screen's: nothing when it
// can show the row full screen, else whether a window of its size fits.
std::string resolutionLabel(const SetupTexts& texts, int row, bool fullScreen, bool window);

// "23 bublin", "1 bubble": the count and the word in its form for it.
std::string bubblesText(const SetupTexts& texts, int bubbles);

// A kept day, "2026-12-09", as the language writes it: "9. 12. 2026",
// "9 Dec 2026"; "" for no day.
std::string dayText(const SetupTexts& texts, const std::string& date);

// The window's title while a recording plays, before its round starts:
// whose it is, its day ("2026-12-09") and the bubbles it ends with,
// "Korvada – Jana's round, 9 Dec 2026, 14 bubbles"; no name part for a
// round without a name, no day part without a day.
std::string watchedRoundTitle(const Language& language, const std::string& name, const std::string& date,
                              int bubbles);

// The line beside the number of bottles: "Best: 23 bubbles (9 Dec 2026)",
// or that no round with that many bottles is kept yet.
std::string bestCatchLine(const SetupTexts& texts, const BestCatch& best);

// A row of the list of the ten best, its columns in the language: "1.",
// "23 bubbles", "9 Dec 2026", "Jana" (noName when the round names nobody).
struct BestTenRow {
    std::string place, bubbles, day, name;
};
BestTenRow bestTenRow(const SetupTexts& texts, const BestCatch& row, int place);

// Beside Today's round: "Today: 9 bubbles" from the day's row of the
// table (dayBest), or that nothing is kept for the day yet.
std::string todayLine(const SetupTexts& texts, const BestCatch& dayBest);

// What the dialog's line says of a typed name: "" for a name the rule
// takes, or none at all (an empty field); else why not, in the language.
std::string nameRefusal(const SetupTexts& texts, const std::string& name);

// After a round: "New best: 25 bubbles!" when the best for its number of
// bottles went from `before` to a higher `after`; empty otherwise, also for
// a first round that caught nothing.
std::string newBestLine(const SetupTexts& texts, const BestCatch& before, const BestCatch& after);

// The line the dialog shows after a round that ended with this exit code
// (128 + N after signal N); empty after a normal end.
std::string gameEndLine(const SetupTexts& texts, int exitCode);

// A reason our programs give (in English, as stderr says it) in the
// language: its phrases in their wording, the paths in it as they are. A
// system's reason the table does not know stays as the system gave it.
std::string reasonIn(const SetupTexts& texts, const std::string& reason);

// What the dialog says once a round is over: why the game failed, or the
// new best the round set; then what could not be written meanwhile, each
// once with its reason (in English, worded here): the settings at Play
// (`notSaved`) and the best catches (`notKept`). `trouble` when any of it
// is a failure.
struct RoundEnd {
    std::string line;
    bool trouble = false;
};
RoundEnd roundEndLine(const SetupTexts& texts, int exitCode, const BestCatch& before, const BestCatch& after,
                      const std::string& notSaved, const std::string& notKept);
