// korvada-shot: lays out and plays a round like korvada-replay, then draws
// one frame offscreen and writes it as a PNG. Run it from a folder that
// holds the game's pictures.
//
//   korvada-shot [--seed N] [--bottles N] [--bubbles N] [--sound 0|1] [--steps N]
//                [--dt SECONDS] [--keys FIRST-LAST:KEY,...] [--camera PRESET]
//                [--size WxH] [--blending 0|1] [--end-screen | --paused] --out FILE.png
//
// PRESET counts from 1, as the camera keys do. The play frame shows the
// round as korvada-replay prints it after the last step (no further step
// runs); --end-screen draws the end screen instead, --paused the paused
// picture (dimmed, with the pause mark). The PNG is the game's own
// (render/frame_picture.h), read back as the shells read a screenshot. Exit
// 2 on a bad argument, 1 when no picture could be written.

#include <GL/gl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/texture.h"
#include "core/game.h"
#include "core/round_driver.h"
#include "render/frame_picture.h"
#include "render/pause_mark.h"
#include "render/play_frame.h"
#include "render/scene.h"
#include "render/score_and_end_screen.h"
#include "shell/headless/headless_platform.h"
#include "shell/headless/offscreen_gl.h"
#include "tools/round_options.h"

namespace {

struct ShotOptions {
    int camera = 1;
    int width = 800;
    int height = 600;
    int blending = 1;
    bool endScreen = false;
    bool paused = false;
    std::string out;
};

bool parseInt(const char* text, long long low, long long high, int& out) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || errno != 0 || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    return x != std::string::npos && parseInt(text.substr(0, x).c_str(), 1, 8192, width) &&
           parseInt(text.substr(x + 1).c_str(), 1, 8192, height);
}

// Takes a shot option at argv[i]; same contract as parseRoundOption.
int parseShotOption(int argc, char** argv, int& i, ShotOptions& options, std::string& error) {
    const std::string name = argv[i];
    if (name == "--end-screen" || name == "--paused") {
        (name == "--paused" ? options.paused : options.endScreen) = true;
        return 1;
    }
    if (name != "--camera" && name != "--size" && name != "--blending" && name != "--out") return 0;
    if (i + 1 >= argc) {
        error = name + " needs a value";
        return -1;
    }
    const std::string value = argv[++i];
    bool ok = true;
    if (name == "--camera") ok = parseInt(value.c_str(), 1, kCameraPresetCount, options.camera);
    if (name == "--size") ok = parseSize(value, options.width, options.height);
    if (name == "--blending") ok = parseInt(value.c_str(), 0, 1, options.blending);
    if (name == "--out") {
        ok = !value.empty();
        options.out = value;
    }
    if (!ok) error = "bad value for " + name + ": '" + value + "'";
    return ok ? 1 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    RoundOptions round;
    ShotOptions shot;
    for (int i = 1; i < argc; ++i) {
        std::string error;
        int taken = parseRoundOption(argc, argv, i, round, error);
        if (taken == 0) taken = parseShotOption(argc, argv, i, shot, error);
        if (taken == 0) error = std::string("unknown option '") + argv[i] + "'";
        if (taken <= 0) {
            std::fprintf(stderr, "korvada-shot: %s\n", error.c_str());
            return 2;
        }
    }
    if (shot.out.empty()) {
        std::fprintf(stderr, "korvada-shot: --out FILE.png is required\n");
        return 2;
    }
    if (shot.endScreen && shot.paused) {
        std::fprintf(stderr, "korvada-shot: --end-screen and --paused are two pictures: choose one\n");
        return 2;
    }

    OffscreenGl gl;
    if (!gl.open(shot.width, shot.height)) return 1;
    static Game game;  // large enough to keep off the stack
    static RoundDriver driver;
    game.usePlatform(headless().services());
    initGlState();
    loadTextures(game);
    for (const std::string& error : headless().errors) std::fprintf(stderr, "korvada-shot: %s\n", error.c_str());
    layOutRound(driver, game, round, shot.blending);
    for (long long step = 1; step <= round.steps && !game.gameOver; ++step) playStep(driver, game, round, step);

    setupView(shot.width, shot.height);
    game.cameraIndex = shot.camera - 1;
    // The round as it stands, even a round that has ended: no further step.
    if (shot.endScreen)
        drawEndScreen(game);
    else if (shot.paused)
        drawPausedFrame(game);
    else
        drawPlayFrame(game);
    std::string error;
    if (!writePngFile(shot.out, readFramePicture(), &error)) {
        std::fprintf(stderr, "korvada-shot: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
