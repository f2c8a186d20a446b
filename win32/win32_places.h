#pragma once
// Where the Windows programs (the game and its setup) keep their files, and
// how they lock a file and put it on the disk for good.

#include <filesystem>
#include <string>

#include "core/saved_file.h"

// The table of best catches, %APPDATA%\Korvada\best-catches.txt beside the
// setup's saved choice; empty when the system names no APPDATA folder.
std::filesystem::path bestCatchesFile();

// The setup's saved choice, %APPDATA%\Korvada\launch-code.txt, which the
// game watches a round opened from Explorer with; empty as above.
std::filesystem::path savedChoiceFile();

// The recording of the best round with `bottles` bottles, beside the table:
// %APPDATA%\Korvada\best-round-4.kvr.
std::filesystem::path bestRoundFile(int bottles);

// Where the game saves its pictures (F12): the player's Pictures folder as
// Windows knows it (its known folder, wherever the player moved it), or
// %USERPROFILE%\Pictures, and in it Korvada; empty when Windows names
// neither.
std::filesystem::path picturesFolder();

// Whether a folder holds the game's data: every picture and sound the game
// reads (the data generator's files), each a file. A folder with some of
// them (a stray picture) is not the game's.
bool holdsGameData(const std::filesystem::path& folder);

// The locale name that chooses the language of our texts
// (setup/setup_texts.h), for the setup and the game alike: the language of
// the user's interface, as ISO 639 names it ("cs"); "" when Windows names none.
std::string userLocaleName();

// FlushFileBuffers to flush; to lock, "<file>.lock" opened for this program
// alone and deleted when it lets go (a program that ends lets go too).
DiskSteps diskSteps();
