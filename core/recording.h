#pragma once
// A round as it was played, to be played again exactly. The round's rules
// are deterministic: the generator's state as the layout began, the settings
// that change the round, every reading of the frame clock and the changes of
// the keys the rules read are all a round needs to take the same course again,
// on any platform. Every round records itself (setupRound starts it, the
// frame clock and core/input.cpp's key operations add to it) until it is
// over; a recording played back stands in for the clock and the keys.
//
// What a key change is: the union of the sources (Game::keyDown) going
// from let go to held or back, or a press that chooses another camera. The
// source does not matter to the rules, and a key held down and repeating
// changes nothing; so the recording is the union's story, played back as one
// source, RecordingInput, which then holds exactly what the union held.
//
// The file (docs/recording-format.md): a versioned header, the frame times as
// their exact float bits, the key changes, a CRC-32; little-endian, written
// byte by byte, so that a recording made on any platform reads the same on
// every other.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "timing/perf_timer.h"

struct Game;
struct GameSettings;

// The keys whose changes are recorded: the arrows, the camera keys '1'..'6'
// and Esc, all the rules read while the round is on. A recording names no other.
bool isRecordedKey(int32_t virtualKey);

struct RecordedKey {
    uint32_t frame = 0;  // the frame clock readings before it: it comes before frame `frame` plays
    uint8_t key = 0;     // a recorded key's code
    uint8_t down = 0;    // 1 the union came to hold it (or a camera press), 0 it let go
};

// Bounds of a recording: a round of about 50 s of falling, at up to some
// 20000 frames a second. A round past them stops recording (overflowed).
constexpr std::size_t kMaxRecordedFrames = std::size_t{1} << 20;
constexpr std::size_t kMaxRecordedKeys = std::size_t{1} << 16;

struct RoundRecording {
    uint32_t randomState = 0;  // the generator as the round's layout began
    int32_t bottles = 0;       // 1..kMaxBottles
    int32_t bubbles = 0;       // 0..kMaxBubbles
    int32_t sound = 0;         // the cues draw random numbers only with sound on
    int32_t blending = 0;      // the look, not the course
    std::vector<float> frameSeconds;  // each reading of the frame clock while the round was on
    std::vector<RecordedKey> keys;    // in the order they came, frames never decreasing
    // Not in the file: the round went past kMaxRecordedFrames or
    // kMaxRecordedKeys and the rest of it is missing.
    bool overflowed = false;
};

// The round being recorded: every round's own, from setupRound until it is over.
struct RoundRecorder {
    RoundRecording recording;
    bool taking = false;  // a round has been laid out and is recorded
};

// A recording being played back in place of the player.
struct RoundPlayback {
    bool on = false;
    bool watched = false;  // the round is a recording's, played back or ended since
    RoundRecording recording;
    std::size_t nextFrame = 0;  // the recorded frame to play next
    std::size_t nextKey = 0;    // the recorded key change to apply next
    PerfTimer wallClock;        // the real time passing, on the platform's counter
    double realSeconds = 0;     // real time played back so far (time away and pauses left out)
    double playedSeconds = 0;   // the recorded frames' time played so far
    uint32_t runRandomState = 0;  // the run's generator before the playback, given back after it
};

// --- Recording: called by the Game itself ----------------------------------

// The round about to be laid out (setupRound, before its first random number)
// is recorded from now on, with the Game's settings and these counts.
void beginRecording(Game& game, int32_t bottles, int32_t bubbles);
// A frame clock reading the round has just taken.
void recordFrame(Game& game, float seconds);
// The union's story: `wasHeld` and `camera` are the key's union and the
// camera before the operation, `roundOn` whether the round was on.
void recordKeyChange(Game& game, int32_t virtualKey, bool roundOn, bool wasHeld, int32_t camera);

// A complete recording of the round just played: the round is over and
// nothing of it is missing. What a shell keeps as the best round.
bool roundRecorded(const Game& game);

// --- Playback --------------------------------------------------------------

// The next round is the recording's, seen with the viewer's settings: every
// key let go, the first camera, the recording's bottles, bubbles and blending
// (the same frames) with the viewer's resolution, colour depth and sound, the
// generator as it was, and from now on the frame clock's readings are the
// recorded ones and the keys change as recorded. Sound changes only which
// knock sounds, never the course. The viewer's keys do nothing but Esc, which
// ends the playback's round as it ends any round (core/input.cpp). Nothing of
// the playback is recorded.
void startPlayback(Game& game, const GameSettings& settings, const RoundRecording& recording);
bool playingBack(const Game& game);
// The round is a recording's, whether its playback goes on or has ended: its
// catch is nobody's new one. Until the next round starts.
bool roundIsPlayback(const Game& game);

// How many recorded frames are due, so that the recorded time keeps up with
// the real time since the playback began (time away and pauses left out, as
// restartFrameClock does): 0 while a viewer's faster display waits for the
// recording, several on a slower one. One more, for the frame that ends the
// playback, once the recording is used up and a frame's time has passed
// since its last frame. Reads the platform's counter.
int32_t recordedFramesDue(Game& game);

enum class RecordedFrame { Ended, Step, EndScreen };

// Plays the next recorded frame: its key changes, then the frame's update,
// the simulation step while the round is on or the end screen's time once
// it is over. When no frame is left it applies the changes that came after
// the last one (the Esc that ended the round) and ends the playback instead:
// Ended.
RecordedFrame playRecordedFrame(Game& game);

// The viewer has the round again: the recording's keys let go, the frame
// clock on the platform's counter from now, the run's generator back, and a
// round that is still on is over (its end screen follows as usual).
void endPlayback(Game& game);

// --- The file --------------------------------------------------------------

// The box of a game asked to play a recording it refuses, before the reason.
extern const char* const kRefusedRecordingMessage;

// The file's bytes.
std::string recordingBytes(const RoundRecording& recording);

// The recording in `bytes`; false, with one line saying why in *trouble, for
// anything that is not exactly what recordingBytes writes: too short or long,
// another magic or version, a damaged checksum, values out of range.
bool readRecording(const std::string& bytes, RoundRecording* recording, std::string* trouble);

// The largest file recordingBytes writes.
std::size_t longestRecording();

// Reads and checks the file; false with the reason in *trouble (a missing or
// unreadable file too). Writing one is core/saved_file.h's replaceFile of
// recordingBytes.
bool readRecordingFile(const std::filesystem::path& file, RoundRecording* recording, std::string* trouble);
