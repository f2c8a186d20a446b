#include "setup/watching_title.h"

#include "core/daily_round.h"
#include "core/round_check.h"

std::string watchingTitle(const Language& language, const RoundRecording& recording) {
    return watchedRoundTitle(language, recording.name, recording.version >= 2 ? dayText(recording.day) : "",
                             checkRound(recording).score);
}
