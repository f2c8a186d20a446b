#pragma once
// The game's data, the six pictures and seven sounds, written into one
// folder: what the desktop build installs and what the browser makes for
// itself on a first visit.

#include <functional>
#include <string>

// How far the making is, from 0 to 1, told now and then.
using DataProgress = std::function<void(float done)>;

// Writes every file into `dir` (which must exist). Returns false on a write
// error.
bool writeGameData(const std::string& dir, const DataProgress& progress = nullptr);
