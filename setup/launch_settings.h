#pragma once
// What the setup program knows about the game's settings, on every platform:
// the launch code it writes, the file it keeps it in, and which resolutions
// a screen can show. No platform header here; the dialogs in setup/gtk and
// setup/win32 are thin faces over it.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

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

// --- The saved code ---------------------------------------------------------

struct SavedCode {
    GameSettings settings;  // the defaults unless `found`
    bool found = false;     // the file held a code the setup would write itself
};

// Reads the one-line file. A missing, empty, unreadable or over-long file, or
// one holding anything but a code the dialog can show, gives the defaults:
// the file is never trusted as a code.
SavedCode readSavedCode(const std::filesystem::path& file);

// Makes a file that is on the disk for good, not just in the system's cache;
// returns false when it cannot. Given by the platform.
using FlushFile = bool (*)(const std::filesystem::path& file);

// Writes "CODE\n" to a temporary file beside `file`, flushes it and renames it
// over `file`, creating the folder first. A crash or a full disk leaves the
// old file whole. On failure returns false with the reason in *error.
bool writeSavedCode(const std::filesystem::path& file, const std::string& code, FlushFile flush, std::string* error);

// --- Resolutions a screen offers ----------------------------------------------

using OfferedRows = std::array<bool, kResolutionCount>;

// The rows of resolutionTable whose exact width and height are among the
// screen's modes: the game switches to exactly its row's size or refuses.
OfferedRows offeredRows(const std::vector<Resolution>& screenModes);

bool anyOffered(const OfferedRows& offered);

// The settings the dialog opens with: the saved ones, their resolution
// replaced when the screen does not offer it by the largest row it offers.
// With nothing offered the row stays: there is nothing better to show.
GameSettings startingSettings(GameSettings saved, const OfferedRows& offered);
