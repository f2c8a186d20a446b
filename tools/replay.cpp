// korvada-replay: plays a round without a window and prints it.
//
//   korvada-replay [--seed N] [--bottles N] [--bubbles N] [--sound 0|1]
//                  [--steps N] [--dt SECONDS] [--keys FIRST-LAST:KEY,...] [--every N]
//
// Prints "state <step> <gameOver>" with a "bottle ..." line per bottle for
// step 0, every N-th step and the last; the bubbles after step 0; and
// "cue <step> <file>" whenever a cue plays. Exit 2 on a bad argument.

#include <cstdio>
#include <string>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/game.h"
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
}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Lines end in "\n" alone, as on Linux: a round prints the same bytes
    // on every platform, and tools compare them.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    RoundOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string error;
        const int taken = parseRoundOption(argc, argv, i, options, error);
        if (taken == 0) error = std::string("unknown option '") + argv[i] + "'";
        if (taken <= 0) {
            std::fprintf(stderr, "korvada-replay: %s\n", error.c_str());
            return 2;
        }
    }

    static Game game;  // large enough to keep off the stack
    game.usePlatform(headless().services());
    headless().onSound = printCue;
    layOutRound(game, options);
    printState(game, 0);
    printBubbles(game);

    for (long long step = 1; step <= options.steps; ++step) {
        currentStep = step;
        playStep(game, options, step);
        const bool last = game.gameOver != 0 || step == options.steps;
        if (last || (options.every > 0 && step % options.every == 0)) printState(game, step);
        if (game.gameOver) break;
    }
    return 0;
}
