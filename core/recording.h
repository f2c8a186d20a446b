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
#include <ctime>
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

// The newest version, which a round is recorded in. Version 1 holds the
// round alone; version 2 adds what it takes to show it to someone else.
constexpr uint32_t kRecordingVersion = 2;

// What a round is: a free one, laid out from the run's generator, or
// today's (core/daily_round.h), the same for everyone.
enum RoundKind : int32_t { FreeRound = 0, DailyRound = 1 };

// Bounds of version 2's texts, in bytes.
constexpr std::size_t kLongestRecordedName = 80;         // 20 characters of UTF-8 (core/player_name.h)
constexpr std::size_t kLongestGameVersion = 32;          // "1.3.0"
constexpr std::size_t kLongestTicket = 64;               // a board's, printable ASCII

// A board's ticket as a recording carries it: 1 to kLongestTicket printable
// ASCII characters, no space (or none at all: empty).
bool isTicket(const std::string& ticket);

struct RoundRecording {
    uint32_t version = kRecordingVersion;  // the layout its bytes have (recordingBytes writes this one)
    uint32_t randomState = 0;  // the generator as the round's layout began
    int32_t bottles = 0;       // 1..kMaxBottles
    int32_t bubbles = 0;       // 0..kMaxBubbles
    // The cues sounded: their knocks drew their files from the generator. A
    // watched round sounds them, the same files, when the viewer's sound is on too.
    int32_t sound = 0;
    int32_t blending = 0;      // the look, not the course
    // Version 2's: what the round was and who played it. A version-1
    // recording reads as a free round of day 0 with none of them.
    int32_t kind = FreeRound;
    uint32_t day = 0;               // today's round's day, or the UTC day a free round was played (days since 1970)
    uint32_t realMilliseconds = 0;  // the player's real time from the layout to the round's end, pauses and time away in
    std::string name;               // the player's (core/player_name.h), or empty
    std::string gameVersion;        // of the game that played it
    std::string ticket;             // a board's, or empty
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

// readRecording, and then whether the round may be watched at `now`: a
// round of a day that has not come yet (UTC) is refused with its line.
bool readWatchedRecording(const std::string& bytes, std::time_t now, RoundRecording* recording, std::string* trouble);

// The file's checksum: the standard CRC-32 (ISO-HDLC, zlib's crc32) of
// `count` bytes.
uint32_t recordingChecksum(const char* bytes, std::size_t count);

// The largest file recordingBytes writes.
std::size_t longestRecording();

// Reads and checks the file as readWatchedRecording does, now; false with
// the reason in *trouble (a missing or unreadable file too). Writing one is
// core/saved_file.h's replaceFile of recordingBytes.
bool readRecordingFile(const std::filesystem::path& file, RoundRecording* recording, std::string* trouble);
