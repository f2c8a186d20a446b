#pragma once
// Files kept between runs (the setup's saved choice, the best catches): read
// whole while they are small, and replaced in one step, so that a crash or a
// full disk never leaves half a file behind. No platform header here: each
// program hands over how its system puts a file on the disk for good.

#include <cstddef>
#include <filesystem>
#include <string>

// Makes a file that is on the disk for good, not just in the system's cache;
// returns false when it cannot. Given by the platform.
using FlushFile = bool (*)(const std::filesystem::path& file);

// Writes `contents` to a temporary file beside `file`, flushes it and renames
// it over `file`, creating the folder first. A crash or a full disk leaves the
// old file whole. On failure returns false with the reason in *error.
bool replaceFile(const std::filesystem::path& file, const std::string& contents, FlushFile flush, std::string* error);

enum class SmallFile { Missing, Read, Unreadable, TooLarge };

// The whole file in *text when it is a file of at most `limit` bytes; a
// folder in its place counts as missing.
SmallFile readSmallFile(const std::filesystem::path& file, std::size_t limit, std::string* text);
