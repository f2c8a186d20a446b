#include "board/round_reading.h"

#include <mutex>

#include "core/daily_round.h"
#include "core/player_name.h"

namespace {

std::mutex playing;

}  // namespace

bool readSubmittedRound(const std::string& bytes, SubmittedRound* round, std::string* trouble) {
    if (!readRecording(bytes, &round->recording, trouble)) return false;
    const RoundRecording& recording = round->recording;
    round->todaysLayout = recording.kind == DailyRound && recording.randomState == dailyRandomState(recording.day) &&
                          recording.bottles == kDailyBottles && recording.bubbles == kDailyBubbles;
    return true;
}

void playSubmittedRound(SubmittedRound* round) {
    std::lock_guard<std::mutex> lock(playing);
    round->checked = checkRound(round->recording);
}

bool checkSubmittedName(const std::string& name, std::string* why) { return checkPlayerName(name, why); }

std::size_t longestSubmission() { return longestRecording(); }
