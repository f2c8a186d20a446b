#pragma once
// What the setup program knows about the game's settings, on every platform:
// the launch code it writes, the file it keeps it in, and which resolutions
// a screen can show. No platform header here; the dialogs in setup/gtk and
// setup/win32 are thin faces over it.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/recording.h"
#include "core/saved_file.h"
#include "core/settings.h"

// The code the setup starts from when nothing valid is saved: 800 × 600,
// 32-bit colour, blending, the default 4 bottles, sound.
constexpr const char* kDefaultLaunchCode = "0TYAY";

// The bottles the dialog offers. 61 is '~', the last printable character a
// code can carry, so every saved code stays plain text.
constexpr int kFewestBottles = 1;
constexpr int kMostBottles = 61;

// The code the game decodes back to exactly these settings; empty for
// settings no code can carry (a resolution outside the table, a bottle count
// below 0 or above 62, a colour code other than 'H' and 'T', a flag other
// than 0 and 1).
std::string encodeLaunchCode(const GameSettings& settings);

GameSettings defaultSettings();

// The dialog shows the bottles the game lays, bottlesToLay (core/settings.h).
// Stores a count from the dialog, limited to the offered range; 4 is written
// as the game's own default ('A'), so the default code stays "0TYAY".
void chooseBottles(GameSettings* settings, int bottles);

// --- The saved choice -------------------------------------------------------

// What Play starts: the launch code's settings, full screen or in a window,
// and the player's name for the round's recording ("" for none).
// With a board's address, its origin (readBoardAddress) and the name's
// secret for it (boardSecretOf), both kept; a ticket only for the round
// about to start, never kept.
struct LaunchChoice {
    GameSettings settings;
    bool fullScreen = true;
    std::string name;
    std::string board;
    std::string secret;
    std::string ticket;
};

// The game's arguments for the choice: "CODE", or "--window CODE"; with a
// name, "--name NAME" before them, and "--daily" for today's round (with
// "--ticket T" after the name when the choice has a ticket); with a
// recording to watch, "--watch FILE" instead (the file in UTF-8): a watched
// round is its own player's, under its own name.
std::vector<std::string> gameArguments(const LaunchChoice& choice, const std::filesystem::path& watch = {},
                                       RoundKind kind = FreeRound);

// The arguments as the tail of a Windows command line, each after a blank;
// one holding a blank or a tab in double quotes (no Windows path holds a
// double quote), as korvada.exe reads its tail back (core/settings.h).
std::string windowsArguments(const std::vector<std::string>& arguments);

// Not found, or anything but a line the setup writes itself: the defaults,
// full screen.
struct SavedCode {
    LaunchChoice choice;
    bool found = false;
};

// Reads the file: its first line the code alone (full screen, as every file
// of version 1.0.0 holds) or the code and " window"; a second line, when
// there is one, "name NAME", the player's name. A missing, empty,
// unreadable or over-long file, or one holding anything but a code the
// dialog can show and such a name line, gives the defaults: the file is
// never trusted as a code. A name the rule refuses (core/player_name.h) is
// read as no name: the code stays. After it, "board ORIGIN" and "secret S"
// lines, each at most once: an address readBoardAddress refuses is read as
// no board, a secret not well formed as none (a new one is made).
SavedCode readSavedCode(const std::filesystem::path& file);

// The file's text for a choice, without its last line end: the code's line,
// and the name's, board's and secret's lines after it, each when there is one.
std::string savedLine(const LaunchChoice& choice);

// Writes "LINE\n" in place of `file` as replaceFile does (core/saved_file.h):
// under the platform's lock, so that two dialogs saving at once leave one
// whole line; a crash or a full disk leaves the old file whole. On failure
// returns false with the reason in *error.
bool writeSavedCode(const std::filesystem::path& file, const std::string& line, const DiskSteps& disk,
                    std::string* error);

// --- Resolutions a screen offers ----------------------------------------------

using OfferedRows = std::array<bool, kResolutionCount>;

// The rows of resolutionTable whose exact width and height are among the
// screen's modes: the game switches to exactly its row's size or refuses.
OfferedRows offeredRows(const std::vector<Resolution>& screenModes);

// The rows whose size fits in the desktop's free area, as windows.
OfferedRows fittingRows(Resolution freeArea);

bool anyOffered(const OfferedRows& offered);

// What a screen allows: each row full screen, and in a window.
struct ScreenRows {
    OfferedRows fullScreen;
    OfferedRows window;
};

// Without a screen to ask, every row is worth a try either way.
ScreenRows everyRow();

// The rows the dialog lets the player choose with this full-screen choice.
const OfferedRows& rowsFor(const ScreenRows& screen, bool fullScreen);

// The choice the dialog opens with, and --print and --play use: the saved
// one where the screen allows it. A row the screen lacks is replaced by the
// largest it allows; with no row full screen the choice becomes a window of
// the largest size that fits, and with no row that fits in a window, full
// screen. With nothing allowed at all the choice stays: there is nothing
// better to show, and nothing to play.
LaunchChoice startingChoice(LaunchChoice saved, const ScreenRows& screen);

// The largest row allowed, or -1 for none.
int largestRow(const OfferedRows& rows);

// The nearest allowed row after `row` (step 1) or before it (step -1) in the
// table's order, as the dialog lists them; `row` itself at either end.
int steppedRow(const OfferedRows& rows, int row, int step);
