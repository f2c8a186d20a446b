#pragma once
// Which WAV file a sound cue plays, and the run's mute.

#include <cstdint>

struct Game;

// The file for `cue` (a SoundCue value), drawing one random number for the
// two knocks; null for a value that is no cue. Callers check sound is on first.
const char* cueFileName(int32_t cue);

// The player's mute (M): silences the cues for the rest of the run, or lets
// them sound again, and returns whether they are silent now. The settings,
// saved or the Game's, stay as they are, and a muted cue draws its random
// number as a sounding one does.
bool toggleMute(Game& game);
