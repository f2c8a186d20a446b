#include "core/recording.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <system_error>

#include "core/game.h"
#include "core/random.h"

namespace {

// Room for a round at up to some 1300 frames a second, taken once: a
// recording adds to it in the frame path without asking for memory.
constexpr std::size_t kReservedFrames = std::size_t{1} << 16;
constexpr std::size_t kReservedKeys = std::size_t{1} << 12;

// A playback's round is never taken (startPlayback).
bool recordingNow(const Game& game) { return game.recorder.taking && !game.recorder.recording.overflowed; }

// --- The file's layout (docs/recording-format.md) ---

constexpr char kMagic[8] = {'K', 'V', 'R', 'E', 'C', '\r', '\n', '\x1a'};
constexpr uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 28;  // magic, version, random state, four counts of a byte, two counts
constexpr std::size_t kFrameBytes = 4;
constexpr std::size_t kKeyBytes = 6;
constexpr std::size_t kChecksumBytes = 4;

uint32_t crc32(const std::string& bytes, std::size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= static_cast<unsigned char>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

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

// The keys' part, checked entry by entry.
bool readKeys(const std::string& bytes, std::size_t at, std::size_t count, std::size_t frames,
              std::vector<RecordedKey>* keys, std::string* trouble) {
    keys->resize(count);
    uint32_t lastFrame = 0;
    for (std::size_t i = 0; i < count; ++i, at += kKeyBytes) {
        RecordedKey& key = (*keys)[i];
        key.frame = get32(bytes, at);
        const uint32_t code = get8(bytes, at + 4), down = get8(bytes, at + 5);
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

}  // namespace

bool isRecordedKey(int32_t virtualKey) {
    return (virtualKey >= kKeyLeft && virtualKey <= kKeyDown) || (virtualKey >= kKey1 && virtualKey <= kKey6) ||
           virtualKey == kKeyEscape;
}

// --- Recording ---

void beginRecording(Game& game, int32_t bottles, int32_t bubbles) {
    if (game.playback.on) return;
    RoundRecording& r = game.recorder.recording;
    r.randomState = randomState();
    r.bottles = bottles;
    r.bubbles = bubbles;
    r.sound = game.settings.sound != 0;
    r.blending = game.settings.blending != 0;
    r.frameSeconds.clear();
    r.keys.clear();
    r.frameSeconds.reserve(kReservedFrames);
    r.keys.reserve(kReservedKeys);
    r.overflowed = false;
    game.recorder.taking = true;
}

void recordFrame(Game& game, float seconds) {
    if (game.gameOver || !recordingNow(game)) return;
    RoundRecording& r = game.recorder.recording;
    if (r.frameSeconds.size() >= kMaxRecordedFrames) {
        r.overflowed = true;
        return;
    }
    r.frameSeconds.push_back(seconds);
}

void recordKeyChange(Game& game, int32_t virtualKey, bool roundOn, bool wasHeld, int32_t camera) {
    if (!roundOn || !recordingNow(game) || !isRecordedKey(virtualKey)) return;
    const bool held = game.keyDown[virtualKey] != 0;
    if (held == wasHeld && game.cameraIndex == camera) return;
    RoundRecording& r = game.recorder.recording;
    if (r.keys.size() >= kMaxRecordedKeys) {
        r.overflowed = true;
        return;
    }
    r.keys.push_back({static_cast<uint32_t>(r.frameSeconds.size()), static_cast<uint8_t>(virtualKey),
                      static_cast<uint8_t>(held ? 1 : 0)});
}

bool roundRecorded(const Game& game) {
    return recordingNow(game) && game.gameOver;
}

// --- Playback ---

void startPlayback(Game& game, const GameSettings& settings, const RoundRecording& recording) {
    RoundPlayback& p = game.playback;
    if (!p.on) p.runRandomState = randomState();
    p.on = false;  // the round's clearing lets go of the keys as any round's does
    GameSettings seen = settings;
    seen.bottleCount = recording.bottles;
    seen.blending = recording.blending;
    game.clearRound(seen);
    game.recorder.taking = false;

    p.recording.randomState = recording.randomState;
    p.recording.bottles = recording.bottles;
    p.recording.bubbles = recording.bubbles;
    p.recording.sound = recording.sound;
    p.recording.blending = recording.blending;
    p.recording.frameSeconds.assign(recording.frameSeconds.begin(), recording.frameSeconds.end());
    p.recording.keys.assign(recording.keys.begin(), recording.keys.end());
    p.recording.overflowed = recording.overflowed;
    p.nextFrame = 0;
    p.nextKey = 0;
    p.realSeconds = 0;
    p.playedSeconds = 0;
    p.wallClock.init(game.platform.counterFrequency(game.platform.shell));
    p.on = true;
    p.watched = true;

    seedRandom(recording.randomState);
    game.setupRound(recording.bottles, recording.bubbles);  // restarts both clocks
}

bool playingBack(const Game& game) { return game.playback.on; }

bool roundIsPlayback(const Game& game) { return game.playback.watched; }

int32_t recordedFramesDue(Game& game) {
    RoundPlayback& p = game.playback;
    if (!p.on) return 0;
    p.realSeconds += p.wallClock.elapsedSeconds(game.platform.counter(game.platform.shell));
    // A frame is due once the real time has passed its middle: on a display
    // as fast as the recording's, one a frame, whatever the jitter.
    const std::vector<float>& frames = p.recording.frameSeconds;
    double played = p.playedSeconds;
    int32_t due = 0;
    for (std::size_t i = p.nextFrame; i < frames.size(); ++i) {
        if (played + 0.5 * frames[i] > p.realSeconds) return due;
        played += frames[i];
        ++due;
    }
    // Used up, the recording ends a frame's time after its last frame, whose
    // picture shows meanwhile.
    const double last = frames.empty() ? 0.0 : frames.back();
    return played + 0.5 * last <= p.realSeconds ? due + 1 : due;
}

RecordedFrame playRecordedFrame(Game& game) {
    RoundPlayback& p = game.playback;
    if (!p.on) return RecordedFrame::Ended;
    const std::vector<RecordedKey>& keys = p.recording.keys;
    for (; p.nextKey < keys.size() && keys[p.nextKey].frame <= p.nextFrame; ++p.nextKey) {
        const RecordedKey& key = keys[p.nextKey];
        if (key.down)
            pressKey(game, RecordingInput, key.key);
        else
            releaseKey(game, RecordingInput, key.key);
    }
    if (p.nextFrame >= p.recording.frameSeconds.size()) {
        endPlayback(game);
        return RecordedFrame::Ended;
    }
    p.playedSeconds += p.recording.frameSeconds[p.nextFrame];
    // The Game's frame clock reading takes the next recorded time.
    if (game.gameOver) {
        game.countEndScreenTime();
        return RecordedFrame::EndScreen;
    }
    game.stepSimulation();
    return RecordedFrame::Step;
}

void endPlayback(Game& game) {
    RoundPlayback& p = game.playback;
    if (!p.on) return;
    p.on = false;
    releaseSource(game, RecordingInput);
    seedRandom(p.runRandomState);
    game.gameOver = 1;
    game.restartFrameClock();
}

// --- The file ---

const char* const kRefusedRecordingMessage = "Záznam kola nelze přehrát!";

std::string recordingBytes(const RoundRecording& recording) {
    std::string out(kMagic, sizeof kMagic);
    put32(out, kVersion);
    put32(out, recording.randomState);
    put8(out, static_cast<uint32_t>(recording.bottles));
    put8(out, static_cast<uint32_t>(recording.bubbles));
    put8(out, static_cast<uint32_t>(recording.sound));
    put8(out, static_cast<uint32_t>(recording.blending));
    put32(out, static_cast<uint32_t>(recording.frameSeconds.size()));
    put32(out, static_cast<uint32_t>(recording.keys.size()));
    for (float seconds : recording.frameSeconds) put32(out, floatBits(seconds));
    for (const RecordedKey& key : recording.keys) {
        put32(out, key.frame);
        put8(out, key.key);
        put8(out, key.down);
    }
    put32(out, crc32(out, out.size()));
    return out;
}

std::size_t longestRecording() {
    return kHeaderBytes + kMaxRecordedFrames * kFrameBytes + kMaxRecordedKeys * kKeyBytes + kChecksumBytes;
}

bool readRecording(const std::string& bytes, RoundRecording* recording, std::string* trouble) {
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return refuse(trouble, "not a Korvada recording");
    if (bytes.size() < kHeaderBytes + kChecksumBytes) return refuse(trouble, "damaged: cut short in its header");
    const uint32_t version = get32(bytes, 8);
    if (version != kVersion)
        return refuse(trouble, "a recording of version " + std::to_string(version) + ", this game plays version " +
                                   std::to_string(kVersion));
    const std::size_t frames = get32(bytes, 20), keys = get32(bytes, 24);
    if (frames > kMaxRecordedFrames || keys > kMaxRecordedKeys)
        return refuse(trouble, "damaged: " + std::to_string(frames) + " frames and " + std::to_string(keys) +
                                   " key changes, more than a round records");
    const std::size_t size = kHeaderBytes + frames * kFrameBytes + keys * kKeyBytes + kChecksumBytes;
    if (bytes.size() != size)
        return refuse(trouble, "damaged: " + std::to_string(bytes.size()) + " bytes where its counts make " +
                                   std::to_string(size));
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION  // a fuzzer gets past it into the fields
    if (get32(bytes, size - kChecksumBytes) != crc32(bytes, size - kChecksumBytes))
        return refuse(trouble, "damaged: its checksum does not match");
#endif

    RoundRecording read;
    read.randomState = get32(bytes, 12);
    read.bottles = static_cast<int32_t>(get8(bytes, 16));
    read.bubbles = static_cast<int32_t>(get8(bytes, 17));
    read.sound = static_cast<int32_t>(get8(bytes, 18));
    read.blending = static_cast<int32_t>(get8(bytes, 19));
    if (read.bottles < 1 || read.bottles > kMaxBottles || read.bubbles > kMaxBubbles || read.sound > 1 ||
        read.blending > 1)
        return refuse(trouble, "damaged: a round of " + std::to_string(read.bottles) + " bottles, " +
                                   std::to_string(read.bubbles) + " bubbles, sound " + std::to_string(read.sound) +
                                   ", blending " + std::to_string(read.blending) + " is no round of the game");
    read.frameSeconds.resize(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        read.frameSeconds[i] = bitsFloat(get32(bytes, kHeaderBytes + i * kFrameBytes));
        if (!std::isfinite(read.frameSeconds[i]))
            return refuse(trouble, "damaged: frame " + std::to_string(i + 1) + " has no time");
    }
    if (!readKeys(bytes, kHeaderBytes + frames * kFrameBytes, keys, frames, &read.keys, trouble)) return false;
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
    if (!readRecording(bytes, recording, trouble)) {
        *trouble = file.u8string() + ": " + *trouble;
        return false;
    }
    return true;
}
