#pragma once
// Which WAV file a sound cue plays.

#include <cstdint>

// The file for `cue` (a SoundCue value), drawing one random number for the
// two knocks; null for a value that is no cue. Callers check sound is on first.
const char* cueFileName(int32_t cue);
