#pragma once
// Where the Windows programs (the game and its setup) keep their files, and
// how they lock a file and put it on the disk for good.

#include <filesystem>

#include "core/saved_file.h"

// The table of best catches, %APPDATA%\Korvada\best-catches.txt beside the
// setup's saved choice; empty when the system names no APPDATA folder.
std::filesystem::path bestCatchesFile();

// FlushFileBuffers to flush; to lock, "<file>.lock" opened for this program
// alone and deleted when it lets go (a program that ends lets go too).
DiskSteps diskSteps();
