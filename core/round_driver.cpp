#include "core/round_driver.h"

#include <algorithm>

#include "core/daily_round.h"
#include "core/game.h"
#include "core/player_name.h"
#include "core/random.h"

#ifndef KORVADA_GAME_VERSION
#error "the build names the game's version (core/CMakeLists.txt)"
#endif

namespace {

// Room for a round at up to some 1300 frames a second, taken once: a
// recording adds to it in the frame path without asking for memory.
constexpr std::size_t kReservedFrames = std::size_t{1} << 16;
constexpr std::size_t kReservedKeys = std::size_t{1} << 12;

// The arrows in the order the step reads them.
constexpr int32_t kArrows[] = {kKeyLeft, kKeyRight, kKeyUp, kKeyDown};

// --- A live round's recording ---

// The run's generator lent to a round laid out from a state of its own, and given back.
void lendGenerator(RoundDriver& d, uint32_t state) {
    if (!d.generatorLent) d.runRandomState = randomState();
    d.generatorLent = true;
    seedRandom(state);
}

void giveGeneratorBack(RoundDriver& d) {
    if (d.generatorLent) seedRandom(d.runRandomState);
    d.generatorLent = false;
}

bool recordingNow(const RoundRecorder& r) { return r.taking && r.roundOn && !r.overflowed; }

// The round just laid out from the generator's `state` is recorded from now on.
void beginRecording(RoundRecorder& r, const Game& game, const RoundFacts& facts, uint32_t state) {
    RoundRecording& recording = r.recording;
    recording.version = kRecordingVersion;
    recording.randomState = state;
    recording.bottles = game.bottleCount;
    recording.bubbles = game.bubbleCount;
    recording.sound = game.settings.sound != 0;
    recording.blending = game.settings.blending != 0;
    recording.kind = facts.kind;
    recording.day = facts.day;
    recording.realMilliseconds = 0;
    recording.name = checkPlayerName(facts.name, nullptr) ? facts.name : std::string();
    recording.gameVersion = KORVADA_GAME_VERSION;
    recording.ticket = isTicket(facts.ticket) ? facts.ticket : std::string();
    recording.frameSeconds.clear();
    recording.keys.clear();
    recording.frameSeconds.reserve(kReservedFrames);
    recording.keys.reserve(kReservedKeys);
    r.taking = true;
    r.roundOn = true;
    r.overflowed = false;
    std::fill(std::begin(r.held), std::end(r.held), uint8_t{0});  // the round starts with every key let go
    r.camera = 0;                                                   // and the first camera
    r.layoutCount = game.frameClock.lastCount;                      // the layout's restart of the clock
}

// The round's end: its real time on the player's counter, read `now`.
void endRecording(RoundRecorder& r, const Game& game, int64_t now) {
    r.roundOn = false;
    const int64_t frequency = game.frameClock.frequency > 0 ? game.frameClock.frequency : 1;
    const int64_t milliseconds = (now - r.layoutCount) * 1000 / frequency;
    r.recording.realMilliseconds = static_cast<uint32_t>(std::min<int64_t>(std::max<int64_t>(milliseconds, 0), UINT32_MAX));
}

void recordChange(RoundRecorder& r, int32_t key, bool down) {
    if (!recordingNow(r)) return;
    if (r.recording.keys.size() >= kMaxRecordedKeys) {
        r.overflowed = true;
        return;
    }
    r.recording.keys.push_back({static_cast<uint32_t>(r.recording.frameSeconds.size()), static_cast<uint8_t>(key),
                                static_cast<uint8_t>(down ? 1 : 0)});
    r.held[key] = down ? 1 : 0;
    if (down && isCameraKey(key)) r.camera = key - kKey1;
}

// The keys as they stand at the frame's boundary, against what the
// recording holds: each change, then the camera's press if the one shown is
// not the one the recording's presses chose.
void sampleKeys(RoundRecorder& r, const Game& game) {
    if (!recordingNow(r)) return;
    auto follow = [&](int32_t key) {
        const bool held = game.keyDown[key] != 0;
        if (held != (r.held[key] != 0)) recordChange(r, key, held);
    };
    for (int32_t key : kArrows) follow(key);
    for (int32_t preset = 0; preset < kCameraPresetCount; ++preset) follow(cameraKey(preset));
    if (r.camera == game.cameraIndex) return;
    const int32_t key = cameraKey(game.cameraIndex);
    recordChange(r, key, true);
    if (!game.keyDown[key]) recordChange(r, key, false);
}

void recordFrame(RoundRecorder& r, float seconds) {
    if (!recordingNow(r)) return;
    if (r.recording.frameSeconds.size() >= kMaxRecordedFrames) {
        r.overflowed = true;
        return;
    }
    r.recording.frameSeconds.push_back(seconds);
}

// A round over whose end is not recorded yet ended between two frames: by
// Esc, before `now`.
void noteRoundsEnd(RoundRecorder& r, const Game& game, int64_t now) {
    if (!r.roundOn || !game.gameOver) return;
    recordChange(r, kKeyEscape, true);
    endRecording(r, game, now);
}

// --- A recording played back ---

// How many recorded frames are due, so that the recorded time keeps up with
// the real time: a frame is due once the real time has passed its middle
// (on a display as fast as the recording's, one a frame, whatever the
// jitter). One more, for the frame that ends the playback, once the
// recording is used up and a frame's time has passed since its last frame,
// whose picture shows meanwhile.
int32_t framesDue(const RoundPlayback& p) {
    const std::vector<float>& frames = p.recording.frameSeconds;
    double played = p.playedSeconds;
    int32_t due = 0;
    for (std::size_t i = p.nextFrame; i < frames.size(); ++i) {
        if (played + 0.5 * frames[i] > p.realSeconds) return due;
        played += frames[i];
        ++due;
    }
    const double last = frames.empty() ? 0.0 : frames.back();
    return played + 0.5 * last <= p.realSeconds ? due + 1 : due;
}

// The changes recorded before the next frame, through the recording's own
// source; the camera stays the viewer's.
void applyRecordedKeys(RoundPlayback& p, Game& game) {
    const int32_t viewersCamera = game.cameraIndex;
    const std::vector<RecordedKey>& keys = p.recording.keys;
    for (; p.nextKey < keys.size() && keys[p.nextKey].frame <= p.nextFrame; ++p.nextKey) {
        const RecordedKey& key = keys[p.nextKey];
        if (key.down)
            pressKey(game, RecordingInput, key.key);
        else
            releaseKey(game, RecordingInput, key.key);
    }
    game.cameraIndex = viewersCamera;
}

// The viewer has the round again: the recording's keys let go, the run's
// generator back, and a round that is still on is over (its end screen
// follows as usual). The frame clock has been read at every boundary, so
// the end screen's first frame counts the real time since the last one.
void endPlayback(RoundDriver& d, Game& game) {
    RoundPlayback& p = d.playback;
    if (!p.on) return;
    p.on = false;
    releaseSource(game, RecordingInput);
    giveGeneratorBack(d);
    game.gameOver = 1;
}

FrameUpdate playBack(RoundDriver& d, Game& game, float seconds) {
    RoundPlayback& p = d.playback;
    if (game.gameOver) {  // the viewer's Esc, as it ends any round
        endPlayback(d, game);
        game.countEndScreenTime(seconds);
        return FrameUpdate::EndScreen;
    }
    releaseAllKeys(game);  // the viewer's keys steer nothing; the camera they chose stays
    p.realSeconds += static_cast<double>(seconds) * p.speed;
    bool stepped = false;
    for (int32_t due = framesDue(p); due > 0; --due) {
        if (playRecordedFrame(d, game) == RecordedFrame::Ended) break;
        stepped = true;
    }
    if (stepped) return FrameUpdate::Step;  // the last frame's picture, even when the recording ended after it
    if (p.on) return FrameUpdate::Still;
    game.countEndScreenTime(0);  // used up: the end screen's time from now
    return FrameUpdate::EndScreen;
}

}  // namespace

RoundFacts dailyRound(uint32_t day, const std::string& name, const std::string& ticket) {
    RoundFacts facts;
    facts.kind = DailyRound;
    facts.day = day;
    facts.name = name;
    facts.ticket = ticket;
    facts.bubbles = kDailyBubbles;
    return facts;
}

bool roundStartOf(const LaunchOptions& options, std::time_t now, RoundStart* start, std::string* why) {
    const uint32_t today = todayUtc(now);
    start->facts = options.daily ? dailyRound(today) : RoundFacts();
    start->facts.day = today;
    start->facts.ticket = options.ticket;
    start->facts.name = options.name;
    std::string refused;
    if (options.name.empty() || checkPlayerName(options.name, &refused)) return true;
    *why = refused;
    return false;
}

void startRoundFrom(RoundDriver& driver, Game& game, const GameSettings& settings, const RoundStart& start) {
    if (start.watched != nullptr)
        startWatchedRound(driver, game, settings, *start.watched);
    else
        startLiveRound(driver, game, settings, start.facts);
}

void startLiveRound(RoundDriver& driver, Game& game, const GameSettings& settings, const RoundFacts& facts) {
    endPlayback(driver, game);
    driver.playback.watched = false;
    const bool daily = facts.kind == DailyRound;
    if (daily)
        lendGenerator(driver, dailyRandomState(facts.day));
    else
        giveGeneratorBack(driver);
    game.clearRound(settings);
    const uint32_t state = randomState();
    game.setupRound(daily ? kDailyBottles : bottlesToLay(settings), daily ? kDailyBubbles : facts.bubbles);
    beginRecording(driver.recorder, game, facts, state);
}

void startWatchedRound(RoundDriver& driver, Game& game, const GameSettings& viewer, const RoundRecording& recording) {
    RoundPlayback& p = driver.playback;
    p.on = false;
    driver.recorder.taking = false;
    driver.recorder.roundOn = false;
    GameSettings seen = viewer;
    seen.bottleCount = recording.bottles;
    seen.blending = recording.blending;
    seen.sound = viewer.sound != 0 && recording.sound != 0;
    game.clearRound(seen);

    p.recording = recording;
    p.nextFrame = 0;
    p.nextKey = 0;
    p.speed = 1;
    p.realSeconds = 0;
    p.playedSeconds = 0;
    p.on = true;
    p.watched = true;
    lendGenerator(driver, recording.randomState);
    game.setupRound(recording.bottles, recording.bubbles);  // the frame clock from now
}

FrameUpdate updateFrame(RoundDriver& driver, Game& game) {
    const float seconds = game.frameSeconds();
    if (driver.playback.on) return playBack(driver, game, seconds);
    RoundRecorder& r = driver.recorder;
    if (game.gameOver) {
        noteRoundsEnd(r, game, game.frameClock.lastCount);
        game.countEndScreenTime(seconds);
        return FrameUpdate::EndScreen;
    }
    sampleKeys(r, game);
    recordFrame(r, seconds);
    game.stepSimulation(seconds);
    if (game.gameOver && r.roundOn) endRecording(r, game, game.frameClock.lastCount);  // it landed: whole
    return FrameUpdate::Step;
}

bool roundRecorded(RoundDriver& driver, const Game& game) {
    RoundRecorder& r = driver.recorder;
    if (r.roundOn && game.gameOver) noteRoundsEnd(r, game, game.platform.counter(game.platform.shell));
    return r.taking && !r.overflowed && !r.roundOn && game.gameOver;
}

void setPlaybackSpeed(RoundDriver& driver, int32_t times) { driver.playback.speed = std::min(std::max(times, 1), 16); }

bool watching(const RoundDriver& driver) { return driver.playback.on; }

bool roundWatched(const RoundDriver& driver) { return driver.playback.watched; }

RecordedFrame playRecordedFrame(RoundDriver& driver, Game& game) {
    RoundPlayback& p = driver.playback;
    if (!p.on) return RecordedFrame::Ended;
    if (!game.gameOver) applyRecordedKeys(p, game);
    if (game.gameOver || p.nextFrame >= p.recording.frameSeconds.size()) {
        endPlayback(driver, game);
        return RecordedFrame::Ended;
    }
    const float seconds = p.recording.frameSeconds[p.nextFrame++];
    p.playedSeconds += seconds;
    game.stepSimulation(seconds);
    return RecordedFrame::Step;
}
