#pragma once
// The board's one seam to the game's core: what a submitted round says of
// itself, and what playing it with the game's own rules gives. Everything
// the board keeps comes through here; the score is always the one the
// board's play counts, never one it is told.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/recording.h"

struct SubmittedRound {
    // What the recording says of itself.
    int32_t kind = 0;  // 1: a round of today's
    int32_t day = 0;   // days since 1970-01-01, UTC
    std::string name;
    std::string gameVersion;
    std::string ticket;
    int64_t realMs = 0;         // the round's real time on the player's counter
    bool todaysLayout = false;  // laid out as its day's round: the day's generator state, bottles and bubbles
    RoundRecording recording;

    // The board's play of it (playSubmittedRound).
    bool played = false;  // to the round's end, and nothing after it
    std::string trouble;  // else why not
    int32_t score = 0;
    int32_t frames = 0;
    double recordedSeconds = 0;
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
