#include "setup/best_round.h"

#include "core/best_catches.h"
#include "core/recording.h"

KeptRound keptRound(const std::filesystem::path& catchesFile, int bottles, int row) {
    KeptRound round;
    round.file = bestRoundFile(catchesFile, bottles, row);
    RoundRecording recording;
    round.playable = readRecordingFile(round.file, &recording, &round.trouble);
    return round;
}

bool offersWatch(const KeptRound& round, bool playOffered) { return round.playable && playOffered; }

std::string watchRefusal(const SetupTexts& texts, const KeptRound& round) {
    return texts.cannotWatch + reasonIn(texts, round.trouble);
}
