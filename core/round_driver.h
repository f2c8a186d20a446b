#pragma once
// The one place a round is driven from, a frame at a time: a round played
// live and recorded as it goes, or a recording played back in the player's
// place. The rules (core/game.h) never know which. Each frame begins at its
// boundary here: the Game's frame clock is read once, and its seconds go to
// the step or to the end screen; a live round records them, and the changes
// of the keys the rules read as the key table and the camera stand at the
// boundary; a recording played back gives its own seconds and feeds its key
// changes through the RecordingInput source before the frames they precede.
// The game, korvada-replay, korvada-shot, Watch best and the tests all play
// through it.
//
// What a key change is: the union of the sources (Game::keyDown) going from
// let go to held or back, or a press that chooses another camera, as seen
// from one boundary to the next. The source does not matter to the rules,
// a key held down and repeating changes nothing, and a key pressed and let
// go between two frames never reached a step; so the recording is the
// union's story, played back as one source that then holds what the union
// held at every frame. A round ended between two frames was ended by Esc,
// and its recording ends with Esc's press.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "core/keys.h"
#include "core/recording.h"
#include "core/settings.h"

struct Game;

// What a live round is beside the settings, as its recording tells it.
struct RoundFacts {
    int32_t kind = FreeRound;  // today's round (DailyRound) is laid out from its day alone (core/daily_round.h)
    uint32_t day = 0;          // today's round's day, or the UTC day a free round is played on (todayUtc)
    std::string name;          // the player's (core/player_name.h); one the rule refuses is not recorded
    std::string ticket;        // a board's (isTicket); one that is none is not recorded
    int32_t bubbles = kRoundBubbles;  // a free round's: the game lays out 30, the tools may ask for others
};

// Today's round of `day`, for the player `name`, with a board's `ticket`.
RoundFacts dailyRound(uint32_t day, const std::string& name = std::string(), const std::string& ticket = std::string());

// How a program's round starts: the recording it watches, or else a live
// round with these facts.
struct RoundStart {
    const RoundRecording* watched = nullptr;
    RoundFacts facts;
};

// The round the launch options ask for at `now`: today's (--daily) or a
// free one played on today's UTC day, with --name and --ticket. False, with
// why in one line, when the name is none (core/player_name.h).
bool roundStartOf(const LaunchOptions& options, std::time_t now, RoundStart* start, std::string* why);

// A live round's recording as it grows, from its start until it is over.
struct RoundRecorder {
    RoundRecording recording;
    bool taking = false;      // a live round was laid out and is recorded
    bool roundOn = false;     // its end is not in the recording yet
    bool overflowed = false;  // it went past a bound of the file: the rest is missing
    uint8_t held[kKeyCount] = {};  // the recorded keys as the recording holds them now
    int32_t camera = 0;            // and the camera it shows
    int64_t layoutCount = 0;       // the player's counter at the layout, for the round's real time
};

// A recording played back in the player's place.
struct RoundPlayback {
    bool on = false;       // it plays
    bool watched = false;  // the round is a recording's, played back or ended since
    RoundRecording recording;
    std::size_t nextFrame = 0;    // the recorded frame to play next
    std::size_t nextKey = 0;      // the recorded key change to apply next
    int32_t speed = 1;            // recorded seconds played for each real one
    double realSeconds = 0;       // real time played back so far, times the speed (time away and pauses left out)
    double playedSeconds = 0;     // the recorded frames' time played so far
};

struct RoundDriver {
    RoundRecorder recorder;
    RoundPlayback playback;
    // Today's round and a watched one lay out from their own generator's
    // state; the run's own comes back for the next free round.
    bool generatorLent = false;
    uint32_t runRandomState = 0;
};

// A live round from its start with these settings (Game::startRound's
// clearing, then the layout), recorded from the generator's state before
// its first draw. Today's round takes its day's state, 8 bottles and 30
// bubbles, the settings' sound and blending. A recording still playing
// stops first and gives the run its generator back.
void startLiveRound(RoundDriver& driver, Game& game, const GameSettings& settings,
                    const RoundFacts& facts = RoundFacts());

// startWatchedRound of start.watched, or else startLiveRound of start.facts.
void startRoundFrom(RoundDriver& driver, Game& game, const GameSettings& settings, const RoundStart& start);

// The next round is the recording's, seen with the viewer's settings: every
// key let go, the first camera, the recording's bottles, bubbles and
// blending (the same frames) with the viewer's resolution and colour depth,
// the cues sounding when both the recording and the viewer have sound on,
// and the generator as it was. Nothing of it is recorded; the run's
// generator comes back when it ends.
void startWatchedRound(RoundDriver& driver, Game& game, const GameSettings& viewer, const RoundRecording& recording);

// What a frame is to draw after its update.
enum class FrameUpdate {
    Step,       // a step was played: the play scene as it left it, even when it ended the round
    Still,      // a recording waits for the real time: the picture as it stands
    EndScreen,  // the round is over: the end screen
};

// One frame's update, at its boundary. A live round: the keys sampled and
// the clock's seconds recorded, then the step; once the round is over, the
// end screen's time. A recording: the viewer's keys let go (they steer
// nothing), then the recorded frames that are due by the real time, zero or
// more, one a frame on a display as fast as the recording's; time away and
// pauses are not caught up. The camera is the viewer's: their camera keys
// and the pads' shoulder buttons choose it, and the recording's camera
// presses hold their keys but leave it be. A recording used up, or a round
// ended by the viewer's Esc, ends the playback, and the end screen follows
// with the viewer's own time and keys.
FrameUpdate updateFrame(RoundDriver& driver, Game& game);

// A recording plays `times` times as fast (1 to 16) from the next frame on:
// as many more of its frames are due for each real second, each with its
// own recorded time, so its course and end are the same. The shells hold 4
// while the viewer holds the fast key; a watched round starts at 1.
void setPlaybackSpeed(RoundDriver& driver, int32_t times);

// Whether the round just played is over and recorded whole, its recording
// then the recorder's: what a shell keeps as the best round. A watched round
// is never recorded.
bool roundRecorded(RoundDriver& driver, const Game& game);

// A recording plays now.
bool watching(const RoundDriver& driver);
// The round is a recording's, whether its playback goes on or has ended: its
// catch is nobody's new one. Until the next round starts.
bool roundWatched(const RoundDriver& driver);

enum class RecordedFrame { Ended, Step };

// The next recorded frame at once, whatever the time: its key changes, then
// its step. When no frame is left, or the round is over, it applies the
// changes that came after the last frame (the Esc that ended the round) and
// ends the playback instead: Ended. For the tools, the tests and a round
// checked without a window.
RecordedFrame playRecordedFrame(RoundDriver& driver, Game& game);
