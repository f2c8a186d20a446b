// A round's recording: what the driver keeps of a round, the file, and a
// playback reaching the very same frames.

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

#include "core/daily_round.h"
#include "core/pause.h"
#include "core/random.h"
#include "core/recording.h"
#include "core/sound_cues.h"
#include "tests/core/game_fixture.h"

namespace {

// What a frame left: every bottle's place and speed, bit for bit, and what
// the picture shows besides.
struct FrameTrace {
    std::vector<float> bottles;
    int32_t camera, score, gameOver;
    bool operator==(const FrameTrace& other) const {
        return bottles.size() == other.bottles.size() &&
               std::memcmp(bottles.data(), other.bottles.data(), bottles.size() * sizeof(float)) == 0 &&
               camera == other.camera && score == other.score && gameOver == other.gameOver;
    }
};

FrameTrace traceOf(const Game& game) {
    FrameTrace trace{{}, game.cameraIndex, game.bottles[0].score, game.gameOver};
    for (int i = 0; i < game.bottleCount; ++i) {
        const Bottle& b = game.bottles[i];
        trace.bottles.insert(trace.bottles.end(), {b.x, b.y, b.z, b.vx, b.vy, b.vz, b.pushX, b.pushZ});
    }
    return trace;
}

GameSettings withSound() {
    GameSettings settings;
    settings.sound = 1;
    return settings;
}

// One frame of `driver`'s round, `seconds` after the last, as a shell paints it.
FrameUpdate frameOf(RoundDriver& driver, Game& game, double seconds) {
    headless().advance(seconds);
    return updateFrame(driver, game);
}

// Frame times that are no round number, different every frame.
double frameTime(int frame) { return 0.009 + (frame * 7919 % 13) * 0.0011; }

class Recording : public GameTest {
protected:
    // Plays a 16-bottle round with sound to its end as a player would: keys
    // from several sources, repeats, the camera, a focus lost, a pause with
    // keys pressed meanwhile, the cues muted halfway. `input` runs before
    // each frame and may end the round. Returns the trace after each frame.
    std::vector<FrameTrace> playRound(const std::function<void(int)>& input) {
        GameSettings settings;
        settings.bottleCount = 16;
        settings.sound = 1;
        settings.blending = 1;
        seedRandom(4711);
        startLiveRound(driver, game, settings);
        std::vector<FrameTrace> traces;
        for (int n = 0; n < 20000 && !game.gameOver; ++n) {
            input(n);
            if (game.gameOver) break;
            if (game.paused) continue;  // paintFrame draws, nothing moves
            EXPECT_EQ(frame(frameTime(n)), FrameUpdate::Step);
            traces.push_back(traceOf(game));
        }
        // The end screen's frames are not the round's.
        for (int n = 0; n < 30; ++n) EXPECT_EQ(frame(0.05), FrameUpdate::EndScreen);
        return traces;
    }

    static void playersInput(Game& game, int frame) {
        switch (frame) {
        case 3: game.onKeyDown(kKeyRight); break;
        case 4: game.onKeyDown(kKeyRight); break;  // repeats
        case 30: pressKey(game, PadInput, kKeyRight); break;
        case 50: game.onKeyUp(kKeyRight); break;  // the pad still holds it
        case 80: releaseKey(game, PadInput, kKeyRight); break;
        case 90: pressKey(game, TouchInput, kKeyDown); break;
        case 91: stepCamera(game, PadInput, 1); break;
        case 120: game.onKeyDown(kKey1 + 3); break;
        case 121: stepCamera(game, PadInput, 1); break;  // '5', while '4' is held
        case 122: game.onKeyDown(kKey1 + 3); break;      // '4' again, repeating
        case 140: game.onKeyUp(kKey1 + 3); break;
        case 150: game.onKeyDown(kKeyA); break;  // a key the round does not read
        case 160: game.onKeyDown(kKeyLeft); break;
        case 200: releaseAllKeys(game); break;  // the focus lost
        case 300:
            pauseRound(game);
            headless().advance(30);
            game.onKeyDown(kKeyUp);
            game.onKeyDown(kKey1 + 1);
            headless().advance(30);
            break;
        case 301: resumeRound(game); break;
        case 900: toggleMute(game); break;
        case 1500: game.onKeyUp(kKeyUp); break;
        default: break;
        }
    }

    RoundRecording readBack() {
        const std::string bytes = recordingBytes(driver.recorder.recording);
        RoundRecording read;
        std::string trouble;
        EXPECT_TRUE(readRecording(bytes, &read, &trouble)) << trouble;
        return read;
    }

    // Plays the recording back in another Game, a frame at a time at the
    // pace it was played, with the viewer's keys pressed meanwhile; the
    // traces after each frame, the camera the recording's as the round
    // showed it (the viewer chose the sixth at frame 11 and saw it since).
    static std::vector<FrameTrace> playBack(RoundDriver& driver, Game& viewer, const RoundRecording& recording,
                                            const std::vector<FrameTrace>& played) {
        startWatchedRound(driver, viewer, withSound(), recording);
        std::vector<FrameTrace> traces;
        for (size_t frame = 0; frame < recording.frameSeconds.size(); ++frame) {
            if (frame == 10) viewer.onKeyDown(kKeyLeft);  // the viewer's keys steer nothing
            if (frame == 11) pressKey(viewer, PadInput, kKey1 + 5);
            if (frame == 12 || frame == 100) releaseAllKeys(viewer);  // the focus lost: the recording's keys stay
            EXPECT_EQ(frameOf(driver, viewer, recording.frameSeconds[frame]), FrameUpdate::Step) << frame;
            EXPECT_EQ(viewer.cameraIndex, frame < 11 ? 0 : 5) << frame;
            traces.push_back(traceOf(viewer));
            traces.back().camera = played[frame].camera;
        }
        return traces;
    }
};

TEST_F(Recording, APlayedBackRoundTakesTheSameCourseFrameByFrame) {
    const std::vector<FrameTrace> played = playRound([&](int frame) { playersInput(game, frame); });
    ASSERT_TRUE(game.gameOver);
    ASSERT_TRUE(roundRecorded(driver, game));
    const RoundRecording recording = readBack();
    EXPECT_EQ(recording.frameSeconds.size(), played.size()) << "one reading a frame, none paused or after the end";
    // A few KB: the changes, not the keys of every frame.
    EXPECT_LT(recording.keys.size(), 30u);
    const std::vector<std::string> cues = headless().sounds;
    EXPECT_FALSE(cues.empty());

    headless().clear();
    Game viewer;
    RoundDriver watcher;
    viewer.usePlatform(headless().services());
    seedRandom(99);
    const uint32_t runState = randomState();
    const std::vector<FrameTrace> replayed = playBack(watcher, viewer, recording, played);
    ASSERT_EQ(replayed.size(), played.size());
    for (size_t frame = 0; frame < played.size(); ++frame)
        ASSERT_TRUE(replayed[frame] == played[frame]) << "frame " << frame;
    EXPECT_EQ(viewer.bottles[0].score, game.bottles[0].score);
    // The cues as the round drew them, the muted ones sounding here.
    EXPECT_GT(headless().sounds.size(), cues.size());

    // Used up, the playback ends on the round's end screen a frame's time
    // later, the viewer's keys and the run's generator back.
    EXPECT_EQ(frameOf(watcher, viewer, 0.05), FrameUpdate::EndScreen);
    EXPECT_FALSE(watching(watcher));
    EXPECT_EQ(randomState(), runState);
    EXPECT_EQ(viewer.gameOver, 1);
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(viewer.sourceKeyDown[RecordingInput][key], 0) << key;
    viewer.onKeyDown(kKeyReturn);
    EXPECT_EQ(viewer.keyDown[kKeyReturn], 1);
    EXPECT_FALSE(roundRecorded(watcher, viewer));
    EXPECT_TRUE(roundWatched(watcher)) << "a playback is nobody's new round";

    // Seen with sound off and another resolution: silent, the same course.
    headless().clear();
    GameSettings silent;
    silent.resolutionIndex = 5;
    startWatchedRound(watcher, viewer, silent, recording);
    EXPECT_EQ(viewer.settings.resolutionIndex, 5);
    EXPECT_EQ(viewer.settings.blending, 1) << "the recording's look";
    for (size_t frame = 0; frame < played.size(); ++frame) {
        playRecordedFrame(watcher, viewer);
        ASSERT_TRUE(traceOf(viewer).bottles == played[frame].bottles) << "frame " << frame;
    }
    EXPECT_TRUE(headless().sounds.empty());
    // A round played without sound is watched without: its cues drew nothing.
    RoundRecording hushed = recording;
    hushed.sound = 0;
    startWatchedRound(watcher, viewer, withSound(), hushed);
    for (size_t frame = 0; frame < played.size(); ++frame) {
        playRecordedFrame(watcher, viewer);
        ASSERT_TRUE(traceOf(viewer).bottles == played[frame].bottles) << "frame " << frame;
    }
    EXPECT_TRUE(headless().sounds.empty());
    startLiveRound(watcher, viewer, GameSettings());
    EXPECT_FALSE(roundWatched(watcher));
    EXPECT_EQ(watcher.recorder.recording.randomState, runState) << "the run's generator back for the new round";
}

TEST_F(Recording, EscEndsTheRoundInTheRecordingAndInThePlayback) {
    const std::vector<FrameTrace> played = playRound([&](int frame) {
        playersInput(game, frame);
        if (frame == 700) pressKey(game, PadInput, kKeyEscape);
    });
    ASSERT_EQ(played.size(), 699u) << "700 frames, one of them paused";
    const RoundRecording recording = readBack();
    ASSERT_FALSE(recording.keys.empty());
    EXPECT_EQ(recording.keys.back().key, kKeyEscape);
    EXPECT_EQ(recording.keys.back().frame, 699u) << "after the last frame";

    Game viewer;
    RoundDriver watcher;
    viewer.usePlatform(headless().services());
    const std::vector<FrameTrace> replayed = playBack(watcher, viewer, recording, played);
    EXPECT_TRUE(replayed.back() == played.back());
    EXPECT_EQ(viewer.gameOver, 0);
    EXPECT_EQ(frameOf(watcher, viewer, 0.05), FrameUpdate::EndScreen);
    EXPECT_EQ(viewer.gameOver, 1);

    // The viewer's Esc ends the watched round as it ends any round: at once,
    // and the end screen's time is the real time from the last frame on.
    seedRandom(5);
    const uint32_t runState = randomState();
    startWatchedRound(watcher, viewer, withSound(), recording);
    frameOf(watcher, viewer, recording.frameSeconds[0]);
    const FrameTrace before = traceOf(viewer);
    viewer.onKeyDown(kKeyEscape);
    EXPECT_EQ(viewer.gameOver, 1);
    EXPECT_EQ(frameOf(watcher, viewer, 0.25), FrameUpdate::EndScreen);
    EXPECT_FALSE(watching(watcher));
    EXPECT_EQ(viewer.endScreenTime, 0.25f);
    EXPECT_TRUE(traceOf(viewer).bottles == before.bottles);
    EXPECT_EQ(randomState(), runState);
}

// The union's story at each frame's boundary: a change once, whichever
// source made it and however often it repeated; a key pressed and let go
// between two frames reached no step and is not kept; the camera as the
// keys chose it; and the round's end by Esc last, nothing after it.
TEST_F(Recording, KeepsTheUnionsChangesAtEachFramesBoundary) {
    seedRandom(1);
    startLiveRound(driver, game, GameSettings());
    game.onKeyDown(kKeyLeft);
    pressKey(game, TouchInput, kKeyLeft);
    game.onKeyDown(kKeyLeft);
    frame(0.02);
    releaseKey(game, TouchInput, kKeyLeft);
    game.onKeyUp(kKeyLeft);
    game.onKeyDown(kKeySpace);  // read only on the end screen
    game.onKeyDown(kKey1 + 2);
    stepCamera(game, PadInput, 0);  // the camera shown: nothing changes
    game.onKeyDown(kKeyRight);
    game.onKeyUp(kKeyRight);
    frame(0.02);
    pressKey(game, PadInput, kKey1 + 4);
    game.onKeyDown(kKey1 + 2);  // '3' repeating while the pad holds '5': the third camera again
    frame(0.02);
    game.onKeyUp(kKey1 + 2);
    releaseKey(game, PadInput, kKey1 + 4);
    stepCamera(game, PadInput, 1);  // the fourth, pressed and let go
    frame(0.02);
    game.onKeyDown(kKeyEscape);
    game.onKeyDown(kKeyUp);
    EXPECT_EQ(frame(0.02), FrameUpdate::EndScreen);
    frame(0.02);
    const RoundRecording& r = driver.recorder.recording;
    ASSERT_EQ(r.frameSeconds.size(), 4u);
    const std::vector<std::array<int, 3>> want = {
        {0, kKeyLeft, 1},   {1, kKeyLeft, 0},   {1, kKey1 + 2, 1}, {2, kKey1 + 4, 1}, {2, kKey1 + 2, 1},
        {3, kKey1 + 2, 0},  {3, kKey1 + 4, 0},  {3, kKey1 + 3, 1}, {3, kKey1 + 3, 0}, {4, kKeyEscape, 1}};
    std::vector<std::array<int, 3>> got;
    for (const RecordedKey& k : r.keys) got.push_back({int(k.frame), k.key, k.down});
    EXPECT_EQ(got, want);
    EXPECT_EQ(r.bottles, 4);
    EXPECT_EQ(r.bubbles, 30);
    EXPECT_TRUE(roundRecorded(driver, game));

    // Played back, the keys are the round's at every frame, the camera the viewer's.
    Game viewer;
    RoundDriver watcher;
    viewer.usePlatform(headless().services());
    startWatchedRound(watcher, viewer, GameSettings(), r);
    const std::vector<std::vector<int>> held = {{kKeyLeft}, {kKey1 + 2}, {kKey1 + 2, kKey1 + 4}, {}};
    for (const std::vector<int>& keys : held) {
        ASSERT_EQ(playRecordedFrame(watcher, viewer), RecordedFrame::Step);
        std::vector<int> now;
        for (int key = 0; key < kKeyCount; ++key)
            if (viewer.keyDown[key]) now.push_back(key);
        EXPECT_EQ(now, keys);
        EXPECT_EQ(viewer.cameraIndex, 0);
    }
    EXPECT_EQ(playRecordedFrame(watcher, viewer), RecordedFrame::Ended);
    EXPECT_EQ(viewer.gameOver, 1);
}

TEST_F(Recording, ARoundTooLongForItsBoundsIsNoRecording) {
    GameSettings one;
    one.bottleCount = 1;
    RoundFacts noBubbles;
    noBubbles.bubbles = 0;
    startLiveRound(driver, game, one, noBubbles);
    for (size_t i = 0; i <= kMaxRecordedFrames; ++i) frame(0);
    EXPECT_EQ(driver.recorder.recording.frameSeconds.size(), kMaxRecordedFrames);
    game.gameOver = 1;
    EXPECT_FALSE(roundRecorded(driver, game));
    startLiveRound(driver, game, one, noBubbles);
    for (int i = 0; i <= int(kMaxRecordedKeys / 2); ++i) {
        game.onKeyDown(kKeyLeft);
        frame(0);
        game.onKeyUp(kKeyLeft);
        frame(0);
    }
    game.gameOver = 1;
    EXPECT_EQ(driver.recorder.recording.keys.size(), kMaxRecordedKeys);
    EXPECT_FALSE(roundRecorded(driver, game));
}

// The watched round is the viewer's to look at: another camera, chosen by
// its key and by a shoulder button, and four times the speed for a stretch,
// and every frame takes the recorded course to the recorded end.
TEST_F(Recording, TheViewersCameraAndFourTimesTheSpeedLeaveTheCourseAsItWas) {
    const std::vector<FrameTrace> played = playRound([&](int frame) { playersInput(game, frame); });
    const RoundRecording recording = readBack();
    Game viewer;
    RoundDriver watcher;
    viewer.usePlatform(headless().services());
    startWatchedRound(watcher, viewer, withSound(), recording);
    int paints = 0, stepsAtFourTimes = 0;
    while (watching(watcher)) {
        if (paints == 5) viewer.onKeyDown(kKey1 + 2);
        if (paints == 6) viewer.onKeyUp(kKey1 + 2);
        if (paints == 50) stepCamera(viewer, PadInput, 1);
        if (paints == 20) setPlaybackSpeed(watcher, 4);
        if (paints == 320) setPlaybackSpeed(watcher, 1);
        const std::size_t before = watcher.playback.nextFrame;
        frameOf(watcher, viewer, 0.016);
        ++paints;
        const std::size_t at = watcher.playback.nextFrame;
        if (paints > 20 && paints <= 320) stepsAtFourTimes += int(at - before);
        if (watching(watcher) && at > 0) {
            ASSERT_TRUE(traceOf(viewer).bottles == played[at - 1].bottles) << at;
        }
        ASSERT_EQ(viewer.cameraIndex, paints <= 5 ? 0 : paints <= 50 ? 2 : 3) << paints;
    }
    EXPECT_TRUE(traceOf(viewer).bottles == played.back().bottles);
    EXPECT_EQ(viewer.bottles[0].score, game.bottles[0].score);
    EXPECT_EQ(viewer.gameOver, 1);
    EXPECT_NEAR(stepsAtFourTimes, 300 * 4 * 0.016 / 0.0156, 40) << "four recorded frames a paint";
    EXPECT_LT(paints, int(played.size()) - 800) << "at one recorded frame a paint it takes a paint a frame";
}

// A viewer on a faster display waits for the recording, one on a slower
// display plays several of its frames at a time; time away is not caught up.
TEST_F(Recording, PlaybackKeepsUpWithTheRealTime) {
    RoundRecording recording;
    recording.bottles = 1;
    recording.frameSeconds.assign(6, 0.02f);
    startWatchedRound(driver, game, GameSettings(), recording);
    const std::size_t& played = driver.playback.nextFrame;
    EXPECT_EQ(frame(0.008), FrameUpdate::Still);
    EXPECT_EQ(played, 0u);
    EXPECT_EQ(frame(0.003), FrameUpdate::Step);  // past the first frame's middle
    EXPECT_EQ(played, 1u);
    frame(0.045);
    EXPECT_EQ(played, 3u);
    headless().advance(600);
    game.restartFrameClock();  // back from time away
    EXPECT_EQ(frame(0), FrameUpdate::Still);
    EXPECT_EQ(played, 3u);
    EXPECT_EQ(frame(0.055), FrameUpdate::Step);
    EXPECT_EQ(played, 6u);
    EXPECT_TRUE(watching(driver)) << "the last frame's picture shows a frame's time";
    EXPECT_EQ(frame(0.02), FrameUpdate::EndScreen);
    EXPECT_FALSE(watching(driver));
    EXPECT_EQ(game.gameOver, 1) << "a recording that stops short ends its round";
}

// The checksum is the standard CRC-32, and the file's every byte is fixed:
// little-endian whatever the machine, the frames as their float bits, in
// both versions.
TEST_F(Recording, TheFileIsTheSameBytesEverywhere) {
    EXPECT_EQ(recordingChecksum("123456789", 9), 0xCBF43926u) << "CRC-32's check value";
    RoundRecording r;
    r.version = 1;
    r.randomState = 0x89ABCDEFu;
    r.bottles = 61;
    r.bubbles = 128;
    r.sound = 1;
    r.frameSeconds = {0.016f, 0.0f, 1e-30f, 3600.5f};
    r.keys = {{0, kKeyLeft, 1}, {3, kKey1 + 5, 1}, {4, kKeyEscape, 1}};
    const std::string bytes = recordingBytes(r);
    const std::string golden(
        "\x4b\x56\x52\x45\x43\x0d\x0a\x1a\x01\x00\x00\x00\xef\xcd\xab\x89"  // magic, version 1, random state
        "\x3d\x80\x01\x00\x04\x00\x00\x00\x03\x00\x00\x00\x6f\x12\x83\x3c"  // 61 128 1 0, 4 frames, 3 keys, 0.016f
        "\x00\x00\x00\x00\x60\x42\xa2\x0d\x00\x08\x61\x45\x00\x00\x00\x00"  // 0, 1e-30f, 3600.5f; key 1
        "\x25\x01\x03\x00\x00\x00\x36\x01\x04\x00\x00\x00\x1b\x01\xfe\xf5"  // keys 2 and 3; the checksum
        "\x11\x36",
        66);
    EXPECT_EQ(bytes, golden);
    RoundRecording read;
    std::string trouble;
    ASSERT_TRUE(readRecording(golden, &read, &trouble)) << trouble;
    EXPECT_EQ(recordingBytes(read), golden);
    EXPECT_EQ(read.frameSeconds, r.frameSeconds);
    EXPECT_EQ(read.kind, FreeRound) << "version 1 is a free round with no facts";
    EXPECT_EQ(read.day, 0u);

    // Today's round of 2026-12-10, a name of two scripts, a ticket.
    RoundRecording today;
    today.randomState = 20261210;
    today.bottles = 8;
    today.bubbles = 30;
    today.sound = 1;
    today.blending = 1;
    today.kind = DailyRound;
    today.day = 20797;
    today.realMilliseconds = 52345;
    today.name = "\u017dofie Ng";
    today.gameVersion = "1.3.0";
    today.ticket = "t-42";
    today.frameSeconds = {0.016f, 0.02f};
    today.keys = {{0, kKeyLeft, 1}, {2, kKeyEscape, 1}};
    const std::string second(
        "\x4b\x56\x52\x45\x43\x0d\x0a\x1a\x02\x00\x00\x00\x5a\x29\x35\x01"  // magic, version 2, state 20261210
        "\x08\x1e\x01\x01\x02\x00\x00\x00\x02\x00\x00\x00\x01\x00\x00\x00"  // 8 30 1 1, 2 frames, 2 keys, today's
        "\x3d\x51\x00\x00\x79\xcc\x00\x00\x09\x05\x04\x00\xc5\xbd\x6f\x66"  // day, 52345 ms, lengths 9 5 4, the name
        "\x69\x65\x20\x4e\x67\x31\x2e\x33\x2e\x30\x74\x2d\x34\x32\x6f\x12"  // "1.3.0", "t-42", the frames
        "\x83\x3c\x0a\xd7\xa3\x3c\x00\x00\x00\x00\x25\x01\x02\x00\x00\x00"  // the keys
        "\x1b\x01\xe7\x56\x3a\x55",                                               // the checksum
        86);
    EXPECT_EQ(recordingBytes(today), second);
    ASSERT_TRUE(readRecording(second, &read, &trouble)) << trouble;
    EXPECT_EQ(recordingBytes(read), second);
    EXPECT_EQ(std::vector<std::string>({read.name, read.gameVersion, read.ticket}),
              std::vector<std::string>({today.name, today.gameVersion, today.ticket}));
    EXPECT_EQ(read.realMilliseconds, 52345u);
}

// A file whose counts are made to wrap a 32-bit size round to its own small
// size, its checksum right: the bounds refuse it before anything is made of
// its counts, on every platform.
std::string withCounts(uint32_t frames, uint32_t keys, std::size_t size) {
    RoundRecording r;
    r.version = 1;
    r.bottles = 4;
    r.bubbles = 30;
    std::string bytes = recordingBytes(r);
    bytes.resize(size - 4, '\x25');
    for (int i = 0; i < 4; ++i) {
        bytes[20 + i] = static_cast<char>(frames >> (8 * i));
        bytes[24 + i] = static_cast<char>(keys >> (8 * i));
    }
    const uint32_t crc = recordingChecksum(bytes.data(), bytes.size());
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(crc >> (8 * i));
    return bytes;
}

std::string refusal(const std::string& file) {
    RoundRecording read;
    read.bottles = -7;
    std::string trouble;
    if (readRecording(file, &read, &trouble)) return "read";
    EXPECT_EQ(read.bottles, -7) << "a refused file reads nothing";
    EXPECT_EQ(trouble.find('\n'), std::string::npos) << "one line";
    return trouble;
}

// A round of each version, with what a change makes of its file.
RoundRecording aRound(uint32_t version) {
    RoundRecording r;
    r.version = version;
    r.bottles = 4;
    r.bubbles = 30;
    r.gameVersion = "1.3.0";
    r.frameSeconds = {0.016f, 0.017f};
    r.keys = {{0, kKeyRight, 1}, {2, kKeyEscape, 1}};
    return r;
}
std::string refusalOf(uint32_t version, const std::function<void(RoundRecording&)>& change) {
    RoundRecording r = aRound(version);
    change(r);
    return refusal(recordingBytes(r));
}

// Any byte cut off, added or flipped, in either version, is refused.
TEST_F(Recording, EveryCutOrFlippedByteIsRefused) {
    for (uint32_t version : {1u, 2u}) {
        SCOPED_TRACE(version);
        const std::string bytes = recordingBytes(aRound(version));
        for (size_t length = 0; length < bytes.size(); ++length)
            EXPECT_NE(refusal(bytes.substr(0, length)), "read") << "cut to " << length;
        for (size_t at = 0; at < bytes.size(); ++at) {
            std::string flipped = bytes;
            flipped[at] = static_cast<char>(flipped[at] ^ 0x10);
            EXPECT_NE(refusal(flipped), "read") << "byte " << at;
        }
        EXPECT_EQ(refusal(bytes + '\0'), "damaged: " + std::to_string(bytes.size() + 1) +
                                              " bytes where its counts make " + std::to_string(bytes.size()));
        EXPECT_EQ(refusal(bytes.substr(0, version == 1 ? 12 : 40)), "damaged: cut short in its header");
    }
}

// Every damage is refused with its own line and nothing read.
TEST_F(Recording, DamagedOrForeignFilesAreRefused) {
    const RoundRecording good = aRound(1);
    const std::string bytes = recordingBytes(good);

    EXPECT_EQ(refusal("korvada best catches\n4 23 2026-12-09\n"), "not a Korvada recording");
    std::string version = bytes;
    version[8] = 99;
    EXPECT_EQ(refusal(version), "a recording of version 99, made by a newer game: this one plays versions 1 and 2");
    version[8] = 0;
    EXPECT_EQ(refusal(version), "damaged: version 0, which no game writes");
    std::string huge = bytes;
    huge[23] = '\x7f';
    EXPECT_EQ(refusal(huge), "damaged: 2130706434 frames and 2 key changes, more than a round records");
    EXPECT_EQ(refusal(withCounts(2, 715827883, 42)),
              "damaged: 2 frames and 715827883 key changes, more than a round records");
    EXPECT_EQ(refusal(withCounts(1073741825, 0, 36)),
              "damaged: 1073741825 frames and 0 key changes, more than a round records");
    EXPECT_EQ(refusal(bytes.substr(0, bytes.size() - 1) + char(bytes.back() ^ 1)),
              "damaged: its checksum does not match");

    // Values no round has, in a file whose checksum holds.
    auto with = [](const std::function<void(RoundRecording&)>& change) { return refusalOf(1, change); };
    EXPECT_EQ(with([](RoundRecording& r) { r.bottles = 0; }),
              "damaged: a round of 0 bottles, 30 bubbles, sound 0, blending 0 is no round of the game");
    EXPECT_NE(with([](RoundRecording& r) { r.bottles = 65; }), "read");
    EXPECT_NE(with([](RoundRecording& r) { r.bubbles = 129; }), "read");
    EXPECT_NE(with([](RoundRecording& r) { r.sound = 2; }), "read");
    EXPECT_NE(with([](RoundRecording& r) { r.blending = 2; }), "read");
    EXPECT_EQ(with([](RoundRecording& r) { r.frameSeconds[1] = std::numeric_limits<float>::quiet_NaN(); }),
              "damaged: frame 2 has no time");
    EXPECT_NE(with([](RoundRecording& r) { r.frameSeconds[0] = -std::numeric_limits<float>::infinity(); }), "read");
    EXPECT_EQ(with([](RoundRecording& r) { r.keys[0].key = kKeyA; }),
              "damaged: key change 1 names key 65, which the round does not read");
    EXPECT_NE(with([](RoundRecording& r) { r.keys[0].key = kKeySpace; }), "read");
    EXPECT_NE(with([](RoundRecording& r) { r.keys[0].key = cameraKey(kCameraPresetCount); }), "read")
        << "the digit past the last camera's";
    EXPECT_EQ(with([](RoundRecording& r) { r.keys[1].down = 2; }),
              "damaged: key change 2 is neither a press nor a release");
    EXPECT_EQ(with([](RoundRecording& r) { r.keys[1].frame = 3; }),
              "damaged: key change 2 comes before frame 3, out of order or past the last frame");
    EXPECT_NE(with([](RoundRecording& r) { std::swap(r.keys[0].frame, r.keys[1].frame); }), "read");
}

// The bytes of a file after a change, its checksum made right again.
std::string withChecksum(std::string bytes) {
    bytes.resize(bytes.size() - 4);
    const uint32_t crc = recordingChecksum(bytes.data(), bytes.size());
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(crc >> (8 * i));
    return bytes;
}

// Version 2's facts are what a game writes, or the file is refused.
TEST_F(Recording, VersionTwosFactsAreAGamesOwn) {
    auto with = [](const std::function<void(RoundRecording&)>& change) { return refusalOf(2, change); };
    EXPECT_EQ(with([](RoundRecording& r) { r.kind = 2; }), "damaged: a round of kind 2, neither free nor today's");
    EXPECT_EQ(with([](RoundRecording& r) { r.name = " Eva"; }),
              "damaged: its player's name is none: a name does not begin with a space");
    EXPECT_EQ(with([](RoundRecording& r) { r.gameVersion.clear(); }), "damaged: it names no game version");
    EXPECT_EQ(with([](RoundRecording& r) { r.gameVersion = "1.3 beta"; }), "damaged: it names no game version");
    EXPECT_EQ(with([](RoundRecording& r) { r.ticket = "two words"; }), "damaged: its ticket is none");
    const auto today = [](RoundRecording& r) {
        r.kind = DailyRound;
        r.day = 20797;
        r.randomState = 20261210;
        r.bottles = 8;
    };
    EXPECT_EQ(with(today), "read");
    EXPECT_EQ(with([&](RoundRecording& r) { today(r), r.randomState = 20261211; }),
              "damaged: the round of 2026-12-10 is laid out from 20261210 with 8 bottles and 30 bubbles, not from "
              "20261211 with 8 and 30");
    EXPECT_NE(with([&](RoundRecording& r) { today(r), r.bottles = 9; }), "read");
    EXPECT_NE(with([&](RoundRecording& r) { today(r), r.bubbles = 31; }), "read");
    const std::string bytes = recordingBytes(aRound(2));
    for (std::size_t at : {29, 30, 31, 43}) {
        std::string padded = bytes;
        padded[at] = 1;
        EXPECT_EQ(refusal(withChecksum(padded)), "damaged: byte " + std::to_string(at) + " is not 0");
    }
}

// A round of a day that has not come yet, in UTC, is not watched.
TEST_F(Recording, ARoundOfADayToComeIsNotWatched) {
    RoundRecording r = aRound(2);
    r.day = 20798;  // 2026-12-11
    const std::string bytes = recordingBytes(r);
    const std::time_t lateOnThe10th = std::time_t{20798} * 86400 - 1;
    RoundRecording read;
    std::string trouble;
    EXPECT_FALSE(readWatchedRecording(bytes, lateOnThe10th, &read, &trouble));
    EXPECT_EQ(trouble, "a round of 2026-12-11, a day that has not come yet (today is 2026-12-10)");
    EXPECT_TRUE(readWatchedRecording(bytes, lateOnThe10th + 1, &read, &trouble)) << trouble;
    EXPECT_EQ(read.day, 20798u);
}

TEST_F(Recording, FilesAreReadWholeAndTheirNamesSaid) {
    const std::string dir = ::testing::TempDir();
    RoundRecording r, read;
    r.bottles = 2;
    r.gameVersion = "1.3.0";
    r.frameSeconds = {0.5f};
    std::string trouble;
    EXPECT_FALSE(readRecordingFile(dir + "no-such.kvr", &read, &trouble));
    EXPECT_EQ(trouble, dir + "no-such.kvr: no such file");
    EXPECT_FALSE(readRecordingFile(dir, &read, &trouble)) << "a folder";
    const std::string file = dir + "round.kvr";
    {
        std::ofstream out(file, std::ios::binary);
        out << recordingBytes(r).substr(1);
    }
    EXPECT_FALSE(readRecordingFile(file, &read, &trouble));
    EXPECT_EQ(trouble, file + ": not a Korvada recording");
    {
        std::ofstream out(file, std::ios::binary);
        out << recordingBytes(r);
    }
    ASSERT_TRUE(readRecordingFile(file, &read, &trouble)) << trouble;
    EXPECT_EQ(read.bottles, 2);
    std::filesystem::resize_file(file, longestRecording() + 1);
    EXPECT_FALSE(readRecordingFile(file, &read, &trouble));
    EXPECT_EQ(trouble, file + ": larger than any recording");
    std::filesystem::remove(file);
}

}  // namespace
