#pragma once
// Where the Linux programs (the game and its setup) keep their files, by the
// XDG base directory rules, and how they lock a file and put it on the disk
// for good.

#include <filesystem>
#include <vector>

#include "core/saved_file.h"

// The folder a base directory variable names ("XDG_DATA_HOME"), or, when it
// is unset or relative (the rules ignore a relative one), `fallback` under
// the home folder (".local/share").
std::filesystem::path userFolder(const char* variable, const char* fallback);

// The table of best catches: $XDG_DATA_HOME/korvada/best-catches
// (~/.local/share/korvada/best-catches).
std::filesystem::path bestCatchesFile();

// fsync(2) to flush; flock(2) on the file's folder to lock, so that the lock
// outlives the renames that replace the file, and a folder the player
// cannot write can still be locked (the write then says why it fails).
DiskSteps diskSteps();

// Where the game's pictures and sounds lie as seen from the programs' own
// folder (from /proc/self/exe), in the order they are looked at: the
// installed layout's data folder (KORVADA_DATA_FROM_PROGRAM), then the build
// tree's data/ beside the programs. Empty when the folder cannot be told.
std::vector<std::filesystem::path> programDataFolders();

// Whether a folder holds the game's data (its first picture, air.bmp).
bool holdsGameData(const std::filesystem::path& folder);
