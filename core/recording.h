#pragma once
// A round's recording as a file, to be played again exactly. The round's
// rules are deterministic: the generator's state as the layout began, the
// settings that change the round, every reading of the frame clock and the
// changes of the keys the rules read are all a round needs to take the same
// course again, on any platform. This is the record and its bytes alone: it
// knows no Game. Who records a round and plays one back is
// core/round_driver.h.
//
// The file (docs/recording-format.md): a versioned header, the frame times as
// their exact float bits, the key changes, a CRC-32; little-endian, written
// byte by byte, so that a recording made on any platform reads the same on
// every other. Every version ever written is read and played for good.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The keys whose changes are recorded: the arrows, the camera keys and Esc,
// all the rules read while the round is on. A recording names no other.
bool isRecordedKey(int32_t virtualKey);

struct RecordedKey {
    uint32_t frame = 0;  // the frame clock readings before it: it comes before frame `frame` plays
    uint8_t key = 0;     // a recorded key's code
    uint8_t down = 0;    // 1 the keys came to hold it (or a camera press), 0 they let go
};

// Bounds of a recording: a round of about 50 s of falling, at up to some
// 20000 frames a second. A round past them is not recorded whole.
constexpr std::size_t kMaxRecordedFrames = std::size_t{1} << 20;
constexpr std::size_t kMaxRecordedKeys = std::size_t{1} << 16;

// The newest version, which a round is recorded in.
constexpr uint32_t kRecordingVersion = 1;

struct RoundRecording {
    uint32_t version = kRecordingVersion;  // the layout its bytes have (recordingBytes writes this one)
    uint32_t randomState = 0;  // the generator as the round's layout began
    int32_t bottles = 0;       // 1..kMaxBottles
    int32_t bubbles = 0;       // 0..kMaxBubbles
    // The cues sounded: their knocks drew their files from the generator. A
    // watched round sounds them, the same files, when the viewer's sound is on too.
    int32_t sound = 0;
    int32_t blending = 0;      // the look, not the course
    std::vector<float> frameSeconds;  // each reading of the frame clock while the round was on
    std::vector<RecordedKey> keys;    // in the order they came, frames never decreasing
};

// The box of a game asked to play a recording it refuses, before the reason.
extern const char* const kRefusedRecordingMessage;

// The file's bytes, in the recording's version.
std::string recordingBytes(const RoundRecording& recording);

// The recording in `bytes`; false, with one line saying why in *trouble, for
// anything that is not exactly what recordingBytes writes: too short or long,
// another magic or version, a damaged checksum, values out of range. A
// refused file reads nothing, and no count in it is believed before it is
// checked against its bound.
bool readRecording(const std::string& bytes, RoundRecording* recording, std::string* trouble);

// The file's checksum: the standard CRC-32 (ISO-HDLC, zlib's crc32) of
// `count` bytes.
uint32_t recordingChecksum(const char* bytes, std::size_t count);

// The largest file recordingBytes writes.
std::size_t longestRecording();

// Reads and checks the file; false with the reason in *trouble (a missing or
// unreadable file too). Writing one is core/saved_file.h's replaceFile of
// recordingBytes.
bool readRecordingFile(const std::filesystem::path& file, RoundRecording* recording, std::string* trouble);
