// korvada-replay: plays a round without a window and prints it.
//
//   korvada-replay [--seed N] [--bottles N] [--bubbles N] [--sound 0|1]
//                  [--steps N] [--dt SECONDS] [--keys FIRST-LAST:KEY,...] [--every N]
//                  [--daily YYYY-MM-DD | --day YYYY-MM-DD] [--name NAME] [--ticket T]
//                  [--record FILE]
//   korvada-replay --recording FILE [--every N]
//
// Prints "state <step> <gameOver>" with a "bottle ..." line per bottle for
// step 0, every N-th step and the last; the bubbles after step 0; and
// "cue <step> <file>" whenever a cue plays. Both play through the round
// driver (core/round_driver.h). --record writes the round's
// recording (core/recording.h) to FILE as well; --recording plays one, a
// step for each recorded frame, and prints it the same way: the recording
// of a round prints what the round printed, whichever version it is (version
// 2's facts are the recording's, not the course's, and print nothing).
// --daily plays that day's round. Exit 2 on a bad argument or a
// recording refused (the reason in one line on stderr), 1 when the
// recording cannot be written.

#include <cstdio>
#include <fstream>
#include <string>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/game.h"
#include "core/recording.h"
#include "core/round_driver.h"
#include "shell/headless/headless_platform.h"
#include "tools/round_options.h"

namespace {
long long currentStep = 0;

void printCue(const char* fileName) { std::printf("cue %lld %s\n", currentStep, fileName); }

void printState(const Game& game, long long step) {
    std::printf("state %lld %d\n", step, game.gameOver);
    for (int i = 0; i < game.bottleCount; ++i) {
        const Bottle& b = game.bottles[i];
        std::printf("bottle %d %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %d %d\n", i, b.x, b.y, b.z, b.vx, b.vy,
                    b.vz, b.pushX, b.pushZ, b.score, b.textureIndex);
    }
}

void printBubbles(const Game& game) {
    for (int k = 0; k < game.bubbleCount; ++k) {
        const Bubble& b = game.bubbles[k];
        std::printf("bubble %d %.9g %.9g %.9g %d\n", k, b.x, b.y, b.z, b.active);
    }
}

// What the command line asks for beside the round options.
struct ReplayRequest {
    std::string record;      // write the round's recording here
    std::string recording;   // play this recording
    bool roundGiven = false; // a round option other than --every
};

// Takes --record or --recording at argv[i]; same contract as parseRoundOption.
int parseReplayOption(int argc, char** argv, int& i, ReplayRequest& request, std::string& error) {
    const std::string name = argv[i];
    if (name != "--record" && name != "--recording") return 0;
    if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        error = name + " needs a file";
        return -1;
    }
    (name == "--record" ? request.record : request.recording) = argv[++i];
    return 1;
}

int fail(const std::string& error, int code) {
    std::fprintf(stderr, "korvada-replay: %s\n", error.c_str());
    return code;
}

bool writeRecording(const std::string& path, const RoundRecorder& recorder, std::string& error) {
    if (recorder.overflowed) {
        error = "the round is too long to record: more than " + std::to_string(kMaxRecordedFrames) + " steps";
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << recordingBytes(recorder.recording);
    out.close();
    if (!out) error = "cannot write '" + path + "'";
    return static_cast<bool>(out);
}

// A step for each recorded frame; the key changes that came after the last
// one (the Esc that ended the round) go with it.
void playRecording(RoundDriver& driver, Game& game, const RoundOptions& options) {
    const RoundPlayback& playback = driver.playback;
    const long long frames = static_cast<long long>(playback.recording.frameSeconds.size());
    for (long long step = 1; step <= frames; ++step) {
        currentStep = step;
        playRecordedFrame(driver, game);
        if (step == frames && playback.nextKey < playback.recording.keys.size()) playRecordedFrame(driver, game);
        const bool last = game.gameOver != 0 || step == frames;
        if (last || (options.every > 0 && step % options.every == 0)) printState(game, step);
        if (game.gameOver) break;
    }
}
}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Lines end in "\n" alone, as on Linux: a round prints the same bytes
    // on every platform, and tools compare them.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    RoundOptions options;
    ReplayRequest request;
    for (int i = 1; i < argc; ++i) {
        std::string error;
        const bool every = std::string(argv[i]) == "--every";
        int taken = parseRoundOption(argc, argv, i, options, error);
        if (taken == 1 && !every) request.roundGiven = true;
        if (taken == 0) taken = parseReplayOption(argc, argv, i, request, error);
        if (taken == 0) error = std::string("unknown option '") + argv[i] + "'";
        if (taken <= 0) return fail(error, 2);
    }
    if (!request.recording.empty() && (request.roundGiven || !request.record.empty()))
        return fail("--recording plays the recorded round: no other option but --every goes with it", 2);

    static Game game;  // large enough to keep off the stack
    static RoundDriver driver;
    game.usePlatform(headless().services());
    headless().onSound = printCue;
    if (!request.recording.empty()) {
        RoundRecording recording;
        std::string trouble;
        if (!readRecordingFile(request.recording, &recording, &trouble)) return fail(trouble, 2);
        GameSettings settings;
        settings.sound = 1;  // the cues as the round drew them, when it sounded them
        startWatchedRound(driver, game, settings, recording);
        printState(game, 0);
        printBubbles(game);
        playRecording(driver, game, options);
        return 0;
    }

    layOutRound(driver, game, options);
    printState(game, 0);
    printBubbles(game);

    for (long long step = 1; step <= options.steps; ++step) {
        currentStep = step;
        playStep(driver, game, options, step);
        const bool last = game.gameOver != 0 || step == options.steps;
        if (last || (options.every > 0 && step % options.every == 0)) printState(game, step);
        if (game.gameOver) break;
    }
    std::string error;
    if (!request.record.empty() && !writeRecording(request.record, driver.recorder, error))
        return fail(error, 1);
    return 0;
}
