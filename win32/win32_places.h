#pragma once
// Where the Windows programs (the game and its setup) keep their files, and
// how they put a file on the disk for good.

#include <filesystem>

// The table of best catches, %APPDATA%\Korvada\best-catches.txt beside the
// setup's saved choice; empty when the system names no APPDATA folder.
std::filesystem::path bestCatchesFile();

// FlushFileBuffers: a FlushFile (core/saved_file.h).
bool flushToDisk(const std::filesystem::path& file);
