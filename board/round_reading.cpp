// Until the game's core reads version 2 of the recording itself: its
// header, per docs/recording-format.md's layout, read here and the rest
// handed to the version-1 reader and playback.
#include "board/round_reading.h"

#include <mutex>

#include "core/game.h"
#include "core/keys.h"

namespace {

uint32_t le32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void putLe32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

uint32_t crc32(const std::string& bytes, std::size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= static_cast<unsigned char>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t dailyState(int32_t day) {
    int64_t z = day + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
    return static_cast<uint32_t>(y * 10000 + m * 100 + d);
}

constexpr size_t kFixedHeader = 44;

int64_t noCounter(void*) { return 0; }
int64_t oneHertz(void*) { return 1; }
void nothing(void*) {}
void noText(void*, const char*) {}
void* noPixels(void*, size_t) { return nullptr; }

std::mutex playing;

}  // namespace

bool readSubmittedRound(const std::string& bytes, SubmittedRound* round, std::string* trouble) {
    if (bytes.size() < 12 || bytes.compare(0, 8, "KVREC\r\n\x1a", 8) != 0) {
        *trouble = "not a Korvada recording";
        return false;
    }
    if (le32(bytes, 8) != 2) {
        *trouble = "a recording of version " + std::to_string(le32(bytes, 8)) + ", the board takes version 2";
        return false;
    }
    if (bytes.size() < kFixedHeader + 4) {
        *trouble = "damaged: cut short";
        return false;
    }
    const size_t nameLength = static_cast<unsigned char>(bytes[40]);
    const size_t versionLength = static_cast<unsigned char>(bytes[41]);
    const size_t ticketLength = static_cast<unsigned char>(bytes[42]);
    const size_t rest = kFixedHeader + nameLength + versionLength + ticketLength;
    if (bytes.size() < rest + 4 || crc32(bytes, bytes.size() - 4) != le32(bytes, bytes.size() - 4)) {
        *trouble = "damaged: cut short or its checksum does not match";
        return false;
    }
    std::string v1 = bytes.substr(0, 28) + bytes.substr(rest, bytes.size() - 4 - rest) + std::string(4, '\0');
    putLe32(v1, 8, 1);
    putLe32(v1, v1.size() - 4, crc32(v1, v1.size() - 4));
    if (!readRecording(v1, &round->recording, trouble)) return false;
    round->kind = static_cast<unsigned char>(bytes[28]);
    round->day = static_cast<int32_t>(le32(bytes, 32));
    round->realMs = le32(bytes, 36);
    round->name = bytes.substr(kFixedHeader, nameLength);
    round->gameVersion = bytes.substr(kFixedHeader + nameLength, versionLength);
    round->ticket = bytes.substr(kFixedHeader + nameLength + versionLength, ticketLength);
    round->todaysLayout = round->kind == 1 && round->recording.randomState == dailyState(round->day) &&
                          round->recording.bottles == 8 && round->recording.bubbles == kRoundBubbles;
    return true;
}

void playSubmittedRound(SubmittedRound* round) {
    std::lock_guard<std::mutex> lock(playing);
    static Game* game = [] {
        Game* made = new Game;
        PlatformServices services;
        services.showError = noText;
        services.playSound = noText;
        services.counter = noCounter;
        services.counterFrequency = oneHertz;
        services.swapBuffers = nothing;
        services.requestClose = nothing;
        services.allocatePixels = noPixels;
        made->usePlatform(services);
        return made;
    }();
    const RoundRecording& recording = round->recording;
    GameSettings settings;
    settings.sound = recording.sound;
    startPlayback(*game, settings, recording);
    const size_t frames = recording.frameSeconds.size();
    size_t played = 0;
    size_t over = 0;  // the frame whose step ended the round, if one did
    double seconds = 0;
    while (playRecordedFrame(*game) != RecordedFrame::Ended) {
        seconds += recording.frameSeconds[played];
        ++played;
        if (game->gameOver && over == 0) over = played;
    }
    const bool early = over != 0 && over < frames;
    bool escaped = false;
    for (const RecordedKey& key : recording.keys)
        if (key.frame == frames && key.key == kKeyEscape && key.down) escaped = true;
    const bool landed = over == frames && frames > 0;
    round->frames = static_cast<int32_t>(frames);
    round->recordedSeconds = seconds;
    round->score = game->bottles[0].score;
    round->played = !early && (landed || escaped);
    round->trouble = early ? "the recording goes on after the round's end" : round->played ? "" : "the round stops before its end";
}

bool checkSubmittedName(const std::string& name, std::string* why) {
    size_t points = 0;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '<' || c == '>') {
            *why = "a name is letters, digits, spaces, - and _";
            return false;
        }
        if ((c & 0xC0) != 0x80) ++points;
    }
    if (points < 1 || points > 20) {
        *why = "a name is 1 to 20 characters";
        return false;
    }
    return true;
}

std::size_t longestSubmission() { return longestRecording() + kFixedHeader - 28 + 3 * 255; }
