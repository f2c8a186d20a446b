#pragma once
// Where the Windows programs (the game and its setup) keep their files, and
// how they lock a file and put it on the disk for good.

#include <filesystem>

#include "core/saved_file.h"

// The table of best catches, %APPDATA%\Korvada\best-catches.txt beside the
// setup's saved choice; empty when the system names no APPDATA folder.
std::filesystem::path bestCatchesFile();

// The recording of the best round with `bottles` bottles, beside the table:
// %APPDATA%\Korvada\best-round-4.kvr.
std::filesystem::path bestRoundFile(int bottles);

// Where the game saves its pictures (F12): the player's Pictures folder as
// Windows knows it (its known folder, wherever the player moved it), or
// %USERPROFILE%\Pictures, and in it Korvada; empty when Windows names
// neither.
std::filesystem::path picturesFolder();

// FlushFileBuffers to flush; to lock, "<file>.lock" opened for this program
// alone and deleted when it lets go (a program that ends lets go too).
DiskSteps diskSteps();
