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

std::string savedRoundName(const BestCatch& row) {
    return "korvada-" + (isDate(row.date) ? row.date + "-" : std::string()) + std::to_string(row.bubbles) + ".kvr";
}

bool saveRoundCopy(const KeptRound& round, const std::filesystem::path& to, const DiskSteps& disk, std::string* error) {
    std::string bytes;
    if (readSmallFile(round.file, longestRecording(), &bytes) != SmallFile::Read) {
        *error = "cannot read " + round.file.u8string();
        return false;
    }
    RoundRecording recording;
    std::string trouble;
    if (!readRecording(bytes, &recording, &trouble)) {
        *error = round.file.u8string() + ": " + trouble;
        return false;
    }
    return replaceFile(to, bytes, disk, error);
}

RoundEnd savedRoundLine(const SetupTexts& texts, const std::filesystem::path& to, bool saved, const std::string& error) {
    if (saved) return {texts.savedRound + to.u8string(), false};
    return {texts.cannotSaveRound + reasonIn(texts, error), true};
}
