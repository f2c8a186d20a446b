#include "core/recording.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <system_error>

#include "core/cameras.h"
#include "core/daily_round.h"
#include "core/player_name.h"
#include "core/settings.h"

namespace {

// --- The file's layout (docs/recording-format.md), each place named once ---

constexpr char kMagic[8] = {'K', 'V', 'R', 'E', 'C', '\r', '\n', '\x1a'};
constexpr uint32_t kFirstVersion = 1;

constexpr std::size_t kVersionAt = 8;
constexpr std::size_t kRandomStateAt = 12;
constexpr std::size_t kBottlesAt = 16;
constexpr std::size_t kBubblesAt = 17;
constexpr std::size_t kSoundAt = 18;
constexpr std::size_t kBlendingAt = 19;
constexpr std::size_t kFrameCountAt = 20;
constexpr std::size_t kKeyCountAt = 24;
constexpr std::size_t kFirstHeaderBytes = 28;  // version 1's header: its frame times begin here

// Version 2 goes on after version 1's header, its texts after its own fields.
constexpr std::size_t kKindAt = 28;
constexpr std::size_t kDayAt = 32;  // after 3 bytes of 0
constexpr std::size_t kRealMillisecondsAt = 36;
constexpr std::size_t kNameLengthAt = 40;
constexpr std::size_t kGameVersionLengthAt = 41;
constexpr std::size_t kTicketLengthAt = 42;  // then 1 byte of 0
constexpr std::size_t kTextsAt = 44;
constexpr std::size_t kZeroBytesAt[] = {29, 30, 31, 43};

constexpr std::size_t kFrameBytes = 4;  // a float's bits
constexpr std::size_t kKeyBytes = 6;    // frame (4), key (1), down (1)
constexpr std::size_t kKeyFrameAt = 0;
constexpr std::size_t kKeyCodeAt = 4;
constexpr std::size_t kKeyDownAt = 5;
constexpr std::size_t kChecksumBytes = 4;

void put8(std::string& out, uint32_t value) { out += static_cast<char>(value & 0xFFu); }
void put32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) put8(out, value >> shift);
}

uint32_t get8(const std::string& in, std::size_t at) { return static_cast<unsigned char>(in[at]); }
uint32_t get32(const std::string& in, std::size_t at) {
    return get8(in, at) | get8(in, at + 1) << 8 | get8(in, at + 2) << 16 | get8(in, at + 3) << 24;
}

uint32_t floatBits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
float bitsFloat(uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool refuse(std::string* trouble, const std::string& why) {
    *trouble = why;
    return false;
}

// The versions this game reads, for a refusal's line.
std::string versionsPlayed() {
    if (kRecordingVersion == kFirstVersion) return "version " + std::to_string(kFirstVersion);
    return "versions " + std::to_string(kFirstVersion) + (kRecordingVersion == kFirstVersion + 1 ? " and " : " to ") +
           std::to_string(kRecordingVersion);
}

// The file's size its header and counts make, in 64 bits: a count of
// billions cannot wrap it round to a small size where size_t has 32
// (WebAssembly's).
uint64_t sizeOfCounts(uint64_t headerBytes, uint64_t frames, uint64_t keys) {
    return headerBytes + frames * kFrameBytes + keys * kKeyBytes + kChecksumBytes;
}

// Where a version's frame times begin; for version 2, once its texts'
// lengths can be read.
std::size_t headerBytesOf(uint32_t version, const std::string& bytes) {
    if (version == 1) return kFirstHeaderBytes;
    return kTextsAt + get8(bytes, kNameLengthAt) + get8(bytes, kGameVersionLengthAt) + get8(bytes, kTicketLengthAt);
}

bool isGameVersion(const std::string& text) {
    if (text.empty() || text.size() > kLongestGameVersion) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-' ||
              c == '+' || c == '~'))
            return false;
    return true;
}

// The keys' part, checked entry by entry.
bool readKeys(const std::string& bytes, std::size_t at, std::size_t count, std::size_t frames,
              std::vector<RecordedKey>* keys, std::string* trouble) {
    keys->resize(count);
    uint32_t lastFrame = 0;
    for (std::size_t i = 0; i < count; ++i, at += kKeyBytes) {
        RecordedKey& key = (*keys)[i];
        key.frame = get32(bytes, at + kKeyFrameAt);
        const uint32_t code = get8(bytes, at + kKeyCodeAt), down = get8(bytes, at + kKeyDownAt);
        const std::string which = "key change " + std::to_string(i + 1);
        if (key.frame > frames || key.frame < lastFrame)
            return refuse(trouble, "damaged: " + which + " comes before frame " + std::to_string(key.frame) +
                                       ", out of order or past the last frame");
        if (!isRecordedKey(static_cast<int32_t>(code)))
            return refuse(trouble, "damaged: " + which + " names key " + std::to_string(code) +
                                       ", which the round does not read");
        if (down > 1) return refuse(trouble, "damaged: " + which + " is neither a press nor a release");
        key.key = static_cast<uint8_t>(code);
        key.down = static_cast<uint8_t>(down);
        lastFrame = key.frame;
    }
    return true;
}

// The round's settings from the header: a round the game can lay out.
bool readRound(const std::string& bytes, RoundRecording* read, std::string* trouble) {
    read->randomState = get32(bytes, kRandomStateAt);
    read->bottles = static_cast<int32_t>(get8(bytes, kBottlesAt));
    read->bubbles = static_cast<int32_t>(get8(bytes, kBubblesAt));
    read->sound = static_cast<int32_t>(get8(bytes, kSoundAt));
    read->blending = static_cast<int32_t>(get8(bytes, kBlendingAt));
    if (read->bottles >= 1 && read->bottles <= kMaxBottles && read->bubbles <= kMaxBubbles && read->sound <= 1 &&
        read->blending <= 1)
        return true;
    return refuse(trouble, "damaged: a round of " + std::to_string(read->bottles) + " bottles, " +
                               std::to_string(read->bubbles) + " bubbles, sound " + std::to_string(read->sound) +
                               ", blending " + std::to_string(read->blending) + " is no round of the game");
}

// Version 2's fields and texts: what the round was and who played it.
bool readFacts(const std::string& bytes, RoundRecording* read, std::string* trouble) {
    for (std::size_t at : kZeroBytesAt)
        if (get8(bytes, at) != 0) return refuse(trouble, "damaged: byte " + std::to_string(at) + " is not 0");
    read->kind = static_cast<int32_t>(get8(bytes, kKindAt));
    read->day = get32(bytes, kDayAt);
    read->realMilliseconds = get32(bytes, kRealMillisecondsAt);
    std::size_t at = kTextsAt;
    const auto text = [&](std::size_t lengthAt) {
        const std::size_t length = get8(bytes, lengthAt);
        at += length;
        return bytes.substr(at - length, length);
    };
    read->name = text(kNameLengthAt);
    read->gameVersion = text(kGameVersionLengthAt);
    read->ticket = text(kTicketLengthAt);
    if (read->kind != FreeRound && read->kind != DailyRound)
        return refuse(trouble, "damaged: a round of kind " + std::to_string(read->kind) + ", neither free nor today's");
    std::string why;
    if (!read->name.empty() && !checkPlayerName(read->name, &why))
        return refuse(trouble, "damaged: its player's name is none: " + why);
    if (!isGameVersion(read->gameVersion)) return refuse(trouble, "damaged: it names no game version");
    if (!read->ticket.empty() && !isTicket(read->ticket)) return refuse(trouble, "damaged: its ticket is none");
    if (read->kind == DailyRound &&
        (read->bottles != kDailyBottles || read->bubbles != kDailyBubbles || read->randomState != dailyRandomState(read->day)))
        return refuse(trouble, "damaged: the round of " + dayText(read->day) + " is laid out from " +
                                   std::to_string(dailyRandomState(read->day)) + " with " +
                                   std::to_string(kDailyBottles) + " bottles and " + std::to_string(kDailyBubbles) +
                                   " bubbles, not from " + std::to_string(read->randomState) + " with " +
                                   std::to_string(read->bottles) + " and " + std::to_string(read->bubbles));
    return true;
}

void putText(std::string& out, const std::string& text, std::size_t longest) {
    out.append(text, 0, longest);
}

}  // namespace

bool isRecordedKey(int32_t virtualKey) {
    return (virtualKey >= kKeyLeft && virtualKey <= kKeyDown) || isCameraKey(virtualKey) || virtualKey == kKeyEscape;
}

bool isTicket(const std::string& ticket) {
    if (ticket.empty() || ticket.size() > kLongestTicket) return false;
    for (char c : ticket)
        if (c < 0x21 || c > 0x7E) return false;
    return true;
}

const char* const kRefusedRecordingMessage = "Záznam kola nelze přehrát!";

uint32_t recordingChecksum(const char* bytes, std::size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= static_cast<unsigned char>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string recordingBytes(const RoundRecording& recording) {
    std::string out(kMagic, sizeof kMagic);
    put32(out, recording.version);
    put32(out, recording.randomState);
    put8(out, static_cast<uint32_t>(recording.bottles));
    put8(out, static_cast<uint32_t>(recording.bubbles));
    put8(out, static_cast<uint32_t>(recording.sound));
    put8(out, static_cast<uint32_t>(recording.blending));
    put32(out, static_cast<uint32_t>(recording.frameSeconds.size()));
    put32(out, static_cast<uint32_t>(recording.keys.size()));
    if (recording.version >= 2) {
        put8(out, static_cast<uint32_t>(recording.kind));
        put8(out, 0), put8(out, 0), put8(out, 0);
        put32(out, recording.day);
        put32(out, recording.realMilliseconds);
        put8(out, static_cast<uint32_t>(std::min(recording.name.size(), kLongestRecordedName)));
        put8(out, static_cast<uint32_t>(std::min(recording.gameVersion.size(), kLongestGameVersion)));
        put8(out, static_cast<uint32_t>(std::min(recording.ticket.size(), kLongestTicket)));
        put8(out, 0);
        putText(out, recording.name, kLongestRecordedName);
        putText(out, recording.gameVersion, kLongestGameVersion);
        putText(out, recording.ticket, kLongestTicket);
    }
    for (float seconds : recording.frameSeconds) put32(out, floatBits(seconds));
    for (const RecordedKey& key : recording.keys) {
        put32(out, key.frame);
        put8(out, key.key);
        put8(out, key.down);
    }
    put32(out, recordingChecksum(out.data(), out.size()));
    return out;
}

std::size_t longestRecording() {
    const uint64_t texts = kLongestRecordedName + kLongestGameVersion + kLongestTicket;
    return static_cast<std::size_t>(sizeOfCounts(kTextsAt + texts, kMaxRecordedFrames, kMaxRecordedKeys));
}

bool readRecording(const std::string& bytes, RoundRecording* recording, std::string* trouble) {
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return refuse(trouble, "not a Korvada recording");
    if (bytes.size() < kFirstHeaderBytes + kChecksumBytes) return refuse(trouble, "damaged: cut short in its header");
    const uint32_t version = get32(bytes, kVersionAt);
    if (version < kFirstVersion)
        return refuse(trouble, "damaged: version " + std::to_string(version) + ", which no game writes");
    if (version > kRecordingVersion)
        return refuse(trouble, "a recording of version " + std::to_string(version) +
                                   ", made by a newer game: this one plays " + versionsPlayed());
    if (version >= 2 && bytes.size() < kTextsAt + kChecksumBytes)
        return refuse(trouble, "damaged: cut short in its header");
    // Both bounds before the size they make, and the size before anything is allocated.
    const uint32_t frames = get32(bytes, kFrameCountAt), keys = get32(bytes, kKeyCountAt);
    if (frames > kMaxRecordedFrames || keys > kMaxRecordedKeys)
        return refuse(trouble, "damaged: " + std::to_string(frames) + " frames and " + std::to_string(keys) +
                                   " key changes, more than a round records");
    const std::size_t headerBytes = headerBytesOf(version, bytes);
    const uint64_t size = sizeOfCounts(headerBytes, frames, keys);
    if (bytes.size() != size)
        return refuse(trouble, "damaged: " + std::to_string(bytes.size()) + " bytes where its counts make " +
                                   std::to_string(size));
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION  // a fuzzer gets past it into the fields
    const std::size_t checked = bytes.size() - kChecksumBytes;
    if (get32(bytes, checked) != recordingChecksum(bytes.data(), checked))
        return refuse(trouble, "damaged: its checksum does not match");
#endif

    RoundRecording read;
    read.version = version;
    if (!readRound(bytes, &read, trouble)) return false;
    if (version >= 2 && !readFacts(bytes, &read, trouble)) return false;
    read.frameSeconds.resize(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        read.frameSeconds[i] = bitsFloat(get32(bytes, headerBytes + i * kFrameBytes));
        if (!std::isfinite(read.frameSeconds[i]))
            return refuse(trouble, "damaged: frame " + std::to_string(i + 1) + " has no time");
    }
    if (!readKeys(bytes, headerBytes + frames * kFrameBytes, keys, frames, &read.keys, trouble)) return false;
    *recording = std::move(read);
    return true;
}

bool readWatchedRecording(const std::string& bytes, std::time_t now, RoundRecording* recording, std::string* trouble) {
    RoundRecording read;
    if (!readRecording(bytes, &read, trouble)) return false;
    const uint32_t today = todayUtc(now);
    if (read.day > today)
        return refuse(trouble, "a round of " + dayText(read.day) + ", a day that has not come yet (today is " +
                                   dayText(today) + ")");
    *recording = std::move(read);
    return true;
}

bool readRecordingFile(const std::filesystem::path& file, RoundRecording* recording, std::string* trouble) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return refuse(trouble, file.u8string() + ": no such file");
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) return refuse(trouble, "cannot read " + file.u8string() + ": " + error.message());
    if (size > longestRecording()) return refuse(trouble, file.u8string() + ": larger than any recording");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::ifstream in(file, std::ios::binary);
    if (!in.read(&bytes[0], static_cast<std::streamsize>(bytes.size())))
        return refuse(trouble, "cannot read " + file.u8string());
    if (!readWatchedRecording(bytes, std::time(nullptr), recording, trouble)) {
        *trouble = file.u8string() + ": " + *trouble;
        return false;
    }
    return true;
}
