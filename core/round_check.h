#pragma once
// A round played from its recording without a window, as fast as the
// processor goes, and judged: whether the recording is a whole round by our
// rules, and what the player caught. The board checks every round sent to it
// so. It lays the round out and steps it through the round driver
// (core/round_driver.h) as any playback does, on a platform of its own that
// shows nothing, sounds nothing and keeps no time: it needs no platform, no
// pictures and no sound.
//
// It uses the one process-wide random generator (core/random.h), given back
// as it was afterwards: callers on several threads must serialise their calls.

#include <cstdint>
#include <string>

#include "core/recording.h"

struct CheckedRound {
    bool played = false;         // the recording plays to the round's end, nothing after it
    std::string trouble;         // else why not, one line
    int32_t score = 0;           // the player's bubbles at the end, counted by our rules
    int32_t frames = 0;          // the frames played
    double recordedSeconds = 0;  // sum of the frames' seconds
    bool endedByEsc = false;     // the round ended with Esc after its last frame, not by landing
};

CheckedRound checkRound(const RoundRecording& recording);
