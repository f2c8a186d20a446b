#pragma once
// Where the Linux programs (the game and its setup) keep their files, by the
// XDG base directory rules, and how they lock a file and put it on the disk
// for good.

#include <filesystem>
#include <string>
#include <vector>

#include "core/saved_file.h"

// The folder a base directory variable names ("XDG_DATA_HOME"), or, when it
// is unset or relative (the rules ignore a relative one), `fallback` under
// the home folder (".local/share").
std::filesystem::path userFolder(const char* variable, const char* fallback);

// The table of best catches: $XDG_DATA_HOME/korvada/best-catches
// (~/.local/share/korvada/best-catches).
std::filesystem::path bestCatchesFile();

// The launch code the setup keeps, which the game watches a round opened
// from the desktop with: $XDG_CONFIG_HOME/korvada/launch-code.
std::filesystem::path savedCodeFile();

// The recording of the best round with `bottles` bottles, beside the table:
// $XDG_DATA_HOME/korvada/best-round-4.kvr.
std::filesystem::path bestRoundFile(int bottles);

// Where the game saves its pictures (F12): the player's pictures folder, as
// xdg-user-dirs names it (XDG_PICTURES_DIR in the environment, or in
// $XDG_CONFIG_HOME/user-dirs.dirs), or ~/Pictures, and in it Korvada.
std::filesystem::path picturesFolder();

// The pictures folder a user-dirs.dirs text names: its XDG_PICTURES_DIR line,
// "$HOME/..." with `home` put in, or an absolute path; empty when the text
// names none, or names the home folder itself (the folder turned off).
std::filesystem::path picturesFolderIn(const std::string& userDirs, const std::filesystem::path& home);

// fsync(2) to flush; flock(2) on the file's folder to lock, so that the lock
// outlives the renames that replace the file, and a folder the player
// cannot write can still be locked (the write then says why it fails).
DiskSteps diskSteps();

// Where the game's pictures and sounds lie as seen from the programs' own
// folder (from /proc/self/exe), in the order they are looked at: the
// installed layout's data folder (KORVADA_DATA_FROM_PROGRAM), then the build
// tree's data/ beside the programs. Empty when the folder cannot be told.
std::vector<std::filesystem::path> programDataFolders();

// Whether a folder holds the game's data: every picture and sound the game
// reads (the data generator's files), each a file. A folder with some of
// them (a stray picture) is not the game's.
bool holdsGameData(const std::filesystem::path& folder);

// The first of `folders` that holds the game's data, in *data; false when
// none does, with why in *why naming every one looked at (as many as there
// are, none when the programs' folder could not be told).
bool findDataFolder(const std::vector<std::filesystem::path>& folders, std::filesystem::path* data, std::string* why);

// The locale name that chooses the language of our texts
// (setup/setup_texts.h), for the setup and the game alike: the one gettext
// chooses messages by, LANGUAGE first, then LC_ALL, LC_MESSAGES and LANG;
// "" when none is set.
std::string localeName();
