// A round's recording: what it keeps, its file, and its playback reaching
// the very same frames.

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

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

// A frame's update as shell/frame.cpp runs it, the drawing aside.
void updateAsPainted(Game& game) {
    if (game.gameOver)
        game.countEndScreenTime();
    else
        game.stepSimulation();
}

GameSettings withSound() {
    GameSettings settings;
    settings.sound = 1;
    return settings;
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
        game.startRound(settings);
        std::vector<FrameTrace> traces;
        for (int frame = 0; frame < 20000 && !game.gameOver; ++frame) {
            input(frame);
            if (game.gameOver) break;
            if (game.paused) continue;  // paintFrame draws, nothing moves
            headless().advance(frameTime(frame));
            updateAsPainted(game);
            traces.push_back(traceOf(game));
        }
        // The end screen's frames are not the round's.
        for (int frame = 0; frame < 30; ++frame) {
            headless().advance(0.05);
            updateAsPainted(game);
        }
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
        const std::string bytes = recordingBytes(game.recorder.recording);
        RoundRecording read;
        std::string trouble;
        EXPECT_TRUE(readRecording(bytes, &read, &trouble)) << trouble;
        return read;
    }

    // Plays the recording back in another Game, a frame at a time, with the
    // viewer's keys pressed meanwhile; the traces after each frame.
    static std::vector<FrameTrace> playBack(Game& viewer, const RoundRecording& recording) {
        startPlayback(viewer, withSound(), recording);
        std::vector<FrameTrace> traces;
        for (size_t frame = 0; frame < recording.frameSeconds.size(); ++frame) {
            if (frame == 10) viewer.onKeyDown(kKeyLeft);  // the viewer's keys steer nothing
            if (frame == 11) pressKey(viewer, PadInput, kKey1 + 5);
            if (frame == 12 || frame == 100) releaseAllKeys(viewer);  // the focus lost: the recording's keys stay
            EXPECT_NE(playRecordedFrame(viewer), RecordedFrame::Ended) << frame;
            traces.push_back(traceOf(viewer));
        }
        return traces;
    }
};

TEST_F(Recording, APlayedBackRoundTakesTheSameCourseFrameByFrame) {
    const std::vector<FrameTrace> played = playRound([&](int frame) { playersInput(game, frame); });
    ASSERT_TRUE(game.gameOver);
    ASSERT_TRUE(roundRecorded(game));
    const RoundRecording recording = readBack();
    EXPECT_EQ(recording.frameSeconds.size(), played.size()) << "one reading a frame, none paused or after the end";
    // A few KB: the changes, not the keys of every frame.
    EXPECT_LT(recording.keys.size(), 30u);
    const std::vector<std::string> cues = headless().sounds;
    EXPECT_FALSE(cues.empty());

    headless().clear();
    Game viewer;
    viewer.usePlatform(headless().services());
    seedRandom(99);
    const uint32_t runState = randomState();
    const std::vector<FrameTrace> replayed = playBack(viewer, recording);
    ASSERT_EQ(replayed.size(), played.size());
    for (size_t frame = 0; frame < played.size(); ++frame)
        ASSERT_TRUE(replayed[frame] == played[frame]) << "frame " << frame;
    EXPECT_EQ(viewer.bottles[0].score, game.bottles[0].score);
    // The cues as the round drew them, the muted ones sounding here.
    EXPECT_GT(headless().sounds.size(), cues.size());

    // Used up, the playback ends on the round's end screen, the viewer's
    // keys and the run's generator back.
    EXPECT_EQ(playRecordedFrame(viewer), RecordedFrame::Ended);
    EXPECT_FALSE(playingBack(viewer));
    EXPECT_EQ(randomState(), runState);
    EXPECT_EQ(viewer.gameOver, 1);
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(viewer.sourceKeyDown[RecordingInput][key], 0) << key;
    viewer.onKeyDown(kKeyReturn);
    EXPECT_EQ(viewer.keyDown[kKeyReturn], 1);
    EXPECT_FALSE(roundRecorded(viewer));
    EXPECT_TRUE(roundIsPlayback(viewer)) << "a playback is nobody's new round";

    // Seen with sound off and another resolution: silent, the same course.
    headless().clear();
    GameSettings silent;
    silent.resolutionIndex = 5;
    startPlayback(viewer, silent, recording);
    EXPECT_EQ(viewer.settings.resolutionIndex, 5);
    EXPECT_EQ(viewer.settings.blending, 1) << "the recording's look";
    for (size_t frame = 0; frame < played.size(); ++frame) {
        playRecordedFrame(viewer);
        ASSERT_TRUE(traceOf(viewer) == played[frame]) << "frame " << frame;
    }
    EXPECT_TRUE(headless().sounds.empty());
    viewer.startRound(GameSettings());
    EXPECT_FALSE(roundIsPlayback(viewer));
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
    viewer.usePlatform(headless().services());
    const std::vector<FrameTrace> replayed = playBack(viewer, recording);
    EXPECT_TRUE(replayed.back() == played.back());
    EXPECT_EQ(viewer.gameOver, 0);
    EXPECT_EQ(playRecordedFrame(viewer), RecordedFrame::Ended);
    EXPECT_EQ(viewer.gameOver, 1);

    // The viewer's Esc ends a playback at once, and its round; the end
    // screen's time is real time from then on.
    startPlayback(viewer, withSound(), recording);
    playRecordedFrame(viewer);
    const FrameTrace before = traceOf(viewer);
    viewer.onKeyDown(kKeyEscape);
    EXPECT_FALSE(playingBack(viewer));
    EXPECT_EQ(viewer.gameOver, 1);
    headless().advance(0.25);
    updateAsPainted(viewer);
    EXPECT_EQ(viewer.endScreenTime, 0.25f);
    EXPECT_TRUE(traceOf(viewer).bottles == before.bottles);
}

TEST_F(Recording, KeepsTheUnionsChangesOnceAndNothingPastTheEnd) {
    seedRandom(1);
    game.startRound(GameSettings());
    game.onKeyDown(kKeyLeft);
    pressKey(game, TouchInput, kKeyLeft);
    game.onKeyDown(kKeyLeft);
    headless().advance(0.02);
    game.stepSimulation();
    releaseKey(game, TouchInput, kKeyLeft);
    game.onKeyUp(kKeyLeft);
    game.onKeyDown(kKeySpace);  // read only on the end screen
    game.onKeyDown(kKey1 + 2);
    stepCamera(game, PadInput, 0);  // the camera shown: nothing changes
    game.onKeyDown(kKeyEscape);
    game.onKeyDown(kKeyUp);
    headless().advance(0.02);
    game.countEndScreenTime();
    const RoundRecording& r = game.recorder.recording;
    ASSERT_EQ(r.frameSeconds.size(), 1u);
    const std::vector<std::array<int, 3>> want = {
        {0, kKeyLeft, 1}, {1, kKeyLeft, 0}, {1, kKey1 + 2, 1}, {1, kKeyEscape, 1}};
    std::vector<std::array<int, 3>> got;
    for (const RecordedKey& k : r.keys) got.push_back({int(k.frame), k.key, k.down});
    EXPECT_EQ(got, want);
    EXPECT_EQ(r.bottles, 4);
    EXPECT_EQ(r.bubbles, 30);
}

TEST_F(Recording, ARoundTooLongForItsBoundsIsNoRecording) {
    game.setupRound(1, 0);
    for (size_t i = 0; i <= kMaxRecordedFrames; ++i) game.frameSeconds();
    EXPECT_EQ(game.recorder.recording.frameSeconds.size(), kMaxRecordedFrames);
    game.gameOver = 1;
    EXPECT_FALSE(roundRecorded(game));
    game.gameOver = 0;
    game.setupRound(1, 0);
    for (int i = 0; i <= int(kMaxRecordedKeys / 2); ++i) {
        game.onKeyDown(kKeyLeft);
        game.onKeyUp(kKeyLeft);
    }
    game.gameOver = 1;
    EXPECT_EQ(game.recorder.recording.keys.size(), kMaxRecordedKeys);
    EXPECT_FALSE(roundRecorded(game));
}

// A viewer on a faster display waits for the recording, one on a slower
// display plays several of its frames at a time; time away is not caught up.
TEST_F(Recording, PlaybackKeepsUpWithTheRealTime) {
    RoundRecording recording;
    recording.bottles = 1;
    recording.frameSeconds.assign(6, 0.02f);
    startPlayback(game, GameSettings(), recording);
    EXPECT_EQ(recordedFramesDue(game), 0);
    headless().advance(0.008);
    EXPECT_EQ(recordedFramesDue(game), 0);
    headless().advance(0.003);  // past the first frame's middle
    EXPECT_EQ(recordedFramesDue(game), 1);
    playRecordedFrame(game);
    headless().advance(0.045);
    EXPECT_EQ(recordedFramesDue(game), 2);
    playRecordedFrame(game);
    playRecordedFrame(game);
    headless().advance(600);
    game.restartFrameClock();  // back from time away
    EXPECT_EQ(recordedFramesDue(game), 0);
    headless().advance(0.055);
    EXPECT_EQ(recordedFramesDue(game), 3) << "the last frame's picture shows a frame's time";
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(playRecordedFrame(game), RecordedFrame::Step);
    headless().advance(0.02);
    EXPECT_EQ(recordedFramesDue(game), 1) << "the end";
    EXPECT_EQ(playRecordedFrame(game), RecordedFrame::Ended);
}

TEST_F(Recording, TheFileRoundTripsAndIsTheSameBytesEverywhere) {
    RoundRecording r;
    r.randomState = 0x89ABCDEFu;
    r.bottles = 61;
    r.bubbles = 128;
    r.sound = 1;
    r.frameSeconds = {0.016f, 0.0f, 1e-30f, 3600.5f};
    r.keys = {{0, kKeyLeft, 1}, {3, kKey6, 1}, {4, kKeyEscape, 1}};
    const std::string bytes = recordingBytes(r);
    // Little-endian whatever the machine: the header's fields and the first
    // frame's float bits (0.016f is 0x3C83126F).
    const std::string head("KVREC\r\n\x1a\x01\0\0\0\xEF\xCD\xAB\x89\x3D\x80\x01\x00\x04\0\0\0\x03\0\0\0"
                           "\x6F\x12\x83\x3C",
                           32);
    EXPECT_EQ(bytes.substr(0, 32), head);
    EXPECT_EQ(bytes.size(), 28u + 4 * 4 + 3 * 6 + 4);
    RoundRecording read;
    std::string trouble;
    ASSERT_TRUE(readRecording(bytes, &read, &trouble)) << trouble;
    EXPECT_EQ(recordingBytes(read), bytes);
    EXPECT_EQ(read.frameSeconds, r.frameSeconds);
}

// Every damage is refused with its own line and nothing read.
TEST_F(Recording, DamagedOrForeignFilesAreRefused) {
    RoundRecording good;
    good.bottles = 4;
    good.bubbles = 30;
    good.frameSeconds = {0.016f, 0.017f};
    good.keys = {{0, kKeyRight, 1}, {2, kKeyEscape, 1}};
    const std::string bytes = recordingBytes(good);

    auto refusal = [](const std::string& file) {
        RoundRecording read;
        read.bottles = -7;
        std::string trouble;
        const bool ok = readRecording(file, &read, &trouble);
        EXPECT_EQ(read.bottles, -7) << "a refused file reads nothing";
        return ok ? std::string("read") : trouble;
    };
    for (size_t length = 0; length < bytes.size(); ++length)
        EXPECT_NE(refusal(bytes.substr(0, length)), "read") << "cut to " << length;
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::string flipped = bytes;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x10);
        EXPECT_NE(refusal(flipped), "read") << "byte " << at;
    }
    EXPECT_EQ(refusal(bytes + '\0'), "damaged: 53 bytes where its counts make 52");
    EXPECT_EQ(refusal("korvada best catches\n4 23 2026-12-09\n"), "not a Korvada recording");
    EXPECT_EQ(refusal(bytes.substr(0, 12)), "damaged: cut short in its header");
    std::string later = bytes;
    later[8] = 2;
    EXPECT_EQ(refusal(later), "a recording of version 2, this game plays version 1");
    std::string huge = bytes;
    huge[23] = '\x7f';
    EXPECT_EQ(refusal(huge), "damaged: 2130706434 frames and 2 key changes, more than a round records");
    EXPECT_EQ(refusal(bytes.substr(0, bytes.size() - 1) + char(bytes.back() ^ 1)),
              "damaged: its checksum does not match");

    // Values no round has, in a file whose checksum holds.
    auto with = [&](const std::function<void(RoundRecording&)>& change) {
        RoundRecording r = good;
        change(r);
        return refusal(recordingBytes(r));
    };
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
    EXPECT_EQ(with([](RoundRecording& r) { r.keys[1].down = 2; }),
              "damaged: key change 2 is neither a press nor a release");
    EXPECT_EQ(with([](RoundRecording& r) { r.keys[1].frame = 3; }),
              "damaged: key change 2 comes before frame 3, out of order or past the last frame");
    EXPECT_NE(with([](RoundRecording& r) { std::swap(r.keys[0].frame, r.keys[1].frame); }), "read");
}

TEST_F(Recording, FilesAreReadWholeAndTheirNamesSaid) {
    const std::string dir = ::testing::TempDir();
    RoundRecording r, read;
    r.bottles = 2;
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
