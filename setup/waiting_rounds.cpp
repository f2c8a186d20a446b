#include "setup/waiting_rounds.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "core/game.h"
#include "core/recording.h"
#include "core/round_driver.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kSuffix = ".kvr";

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

std::vector<std::string> folderNames(void* place) {
    const WaitingFolder& folder = *static_cast<WaitingFolder*>(place);
    std::vector<std::string> names;
    std::error_code failure;
    fs::directory_iterator entry(folder.folder, failure), end;
    for (; !failure && entry != end; entry.increment(failure)) {
        const std::string name = entry->path().filename().u8string();
        std::time_t left;
        std::error_code ignored;
        if (readWaitingName(name, &left) && entry->is_regular_file(ignored)) names.push_back(name);
    }
    return names;
}

SmallFile folderRead(void* place, const std::string& name, std::size_t limit, std::string* bytes) {
    return readSmallFile(static_cast<WaitingFolder*>(place)->folder / fs::u8path(name), limit, bytes);
}

bool folderKeep(void* place, const std::string& name, const std::string& bytes, std::string* error) {
    const WaitingFolder& folder = *static_cast<WaitingFolder*>(place);
    return replaceFile(folder.folder / fs::u8path(name), bytes, folder.disk, error);
}

void folderRemove(void* place, const std::string& name) {
    std::error_code ignored;
    fs::remove(static_cast<WaitingFolder*>(place)->folder / fs::u8path(name), ignored);
}

void removeRound(RoundSending* sending, const std::string& name) {
    sending->store.remove(sending->store.place, name);
    sending->tried.erase(name);
}
}  // namespace

fs::path waitingFolder(const fs::path& catchesFile) { return catchesFile.parent_path() / "waiting-rounds"; }

std::string waitingName(std::time_t left, const std::string& recording) {
    char name[40];
    uint32_t checksum = 0;
    for (std::size_t i = 0; i < 4 && i < recording.size(); ++i)
        checksum |= static_cast<uint32_t>(static_cast<unsigned char>(recording[recording.size() - 4 + i])) << (8 * i);
    const long long seconds = std::max<long long>(0, std::min<long long>(left, 999999999999LL));
    std::snprintf(name, sizeof name, "%012lld-%08lx%s", seconds, static_cast<unsigned long>(checksum), kSuffix);
    return name;
}

bool readWaitingName(const std::string& name, std::time_t* left) {
    if (name.size() != 12 + 1 + 8 + 4 || name[12] != '-' || name.compare(21, 4, kSuffix) != 0) return false;
    long long seconds = 0;
    for (int i = 0; i < 12; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        seconds = seconds * 10 + (name[i] - '0');
    }
    for (int i = 13; i < 21; ++i)
        if (!isHex(name[i])) return false;
    *left = static_cast<std::time_t>(seconds);
    return true;
}

WaitingStore waitingStoreIn(WaitingFolder* folder) {
    WaitingStore store;
    store.place = folder;
    store.where = folder->folder.u8string();
    store.names = folderNames;
    store.read = folderRead;
    store.keep = folderKeep;
    store.remove = folderRemove;
    return store;
}

std::string leaveWaiting(const WaitingStore& store, const std::string& recording, std::time_t now) {
    std::string error;
    if (store.keep(store.place, waitingName(now, recording), recording, &error)) return "";
    return "the round cannot wait for the board in " + store.where + ": " + error;
}

std::string leaveRoundWaiting(const Game& game, RoundDriver& driver, WaitingKeeper* keeper, std::time_t now) {
    if (!game.gameOver || keeper->offered) return "";
    keeper->offered = true;
    if (keeper->store.keep == nullptr || roundWatched(driver) || !roundRecorded(driver, game)) return "";
    const RoundRecording& round = driver.recorder.recording;
    if (round.kind != DailyRound || round.ticket.empty()) return "";
    return leaveWaiting(keeper->store, recordingBytes(round), now);
}

bool beginSending(RoundSending* sending, bool newOnly) {
    if (sending->origin.empty() || sendingUnderWay(*sending)) return false;
    std::vector<std::string> names = sending->store.names(sending->store.place);
    std::sort(names.begin(), names.end());
    while (names.size() > kMostWaitingRounds) {
        removeRound(sending, names.front());
        names.erase(names.begin());
        ++sending->tally.dropped;
    }
    sending->left.clear();
    for (const std::string& name : names)
        if (!newOnly || sending->tried.count(name) == 0) sending->left.push_back(name);
    return !sending->left.empty();
}

bool nextRound(RoundSending* sending, BoardRequest* request) {
    while (sending->sending.empty() && !sending->left.empty()) {
        const std::string name = sending->left.front();
        sending->left.erase(sending->left.begin());
        std::string bytes;
        const SmallFile state = sending->store.read(sending->store.place, name, longestRecording(), &bytes);
        if (state == SmallFile::Missing) continue;  // sent by another of our programs meanwhile
        if (state != SmallFile::Read) {
            // What cannot be read whole is no round the board would keep.
            removeRound(sending, name);
            ++sending->tally.dropped;
            continue;
        }
        sending->sending = name;
        *request = roundRequest(sending->origin, bytes, sending->secret);
        return true;
    }
    return false;
}

void takeRoundAnswer(RoundSending* sending, const BoardAnswer& answer, std::time_t now) {
    const std::string name = sending->sending;
    sending->sending.clear();
    if (name.empty()) return;
    const RoundAnswer sent = readRoundAnswer(answer);
    SendingTally& tally = sending->tally;
    if (sent.fate == RoundFate::Unsettled) {
        // Not asked again while this run's games go on: each new round is.
        sending->tried.insert(name);
        sending->tried.insert(sending->left.begin(), sending->left.end());
        sending->left.clear();
        tally.unanswered = true;
        tally.unsettled = sent.reason;
        return;
    }
    removeRound(sending, name);
    if (sent.fate == RoundFate::Kept) {
        ++tally.kept;
        tally.lastScore = sent.score;
        sending->toldUnanswered = false;
        return;
    }
    std::time_t left = now;
    readWaitingName(name, &left);
    ++tally.refused;
    tally.refusal = sent.reason;
    tally.late = sent.status == 422 && now - left > kBoardClockSeconds;
    tally.lateLeft = left;
    tally.nameTaken = tally.nameTaken || sent.nameTaken;
}

bool sendingUnderWay(const RoundSending& sending) { return !sending.sending.empty() || !sending.left.empty(); }

bool turnToBoard(LaunchChoice* choice, RoundSending* sending, const std::string& origin, std::string (*makeSecret)()) {
    if (origin == sending->origin) return false;
    choice->board = origin;
    if (!origin.empty() && !wellFormedBoardSecret(choice->secret)) choice->secret = makeSecret();
    sending->origin = origin;
    sending->secret = choice->secret;
    sending->tried.clear();
    sending->left.clear();
    sending->sending.clear();
    return true;
}
