#pragma once
// The board's one seam to the game's core: what a submitted round says of
// itself (the recording's reader), and what playing it with the game's own
// rules gives (the round check). Everything the board keeps comes through
// here; the score is always the check's, never one the board is told.

#include <cstddef>
#include <string>

#include "core/recording.h"
#include "core/round_check.h"

struct SubmittedRound {
    RoundRecording recording;   // what it says of itself: kind, day, name, ticket, real time, frames, keys
    bool todaysLayout = false;  // today's round, laid out as its day's: the day's generator state, bottles, bubbles
    CheckedRound checked;       // the board's play of it (playSubmittedRound)
};

// The bytes as a recording; false with the reader's one line when they are none.
bool readSubmittedRound(const std::string& bytes, SubmittedRound* round, std::string* trouble);

// Plays the round with no window, as fast as the processor goes. The
// game's generator is the process's one: calls from several threads take
// turns here.
void playSubmittedRound(SubmittedRound* round);

// A player's name as the game takes it; else why not, in English.
bool checkSubmittedName(const std::string& name, std::string* why);

// The longest body that can be a recording: a longer one is refused unread.
std::size_t longestSubmission();
