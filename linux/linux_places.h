#pragma once
// Where the Linux programs (the game and its setup) keep their files, by the
// XDG base directory rules, and how they lock a file and put it on the disk
// for good.

#include <filesystem>

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
