// Cost of drawing a play frame of a 64-bottle round at 1280 x 1024 in the
// offscreen context, against the floor: a frame that draws only the ground
// and sky planes, the same way. Run from anywhere:
//
//   build/bench/korvada_render_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
//
// Both hold the round still (no simulation step), so every iteration draws
// the same picture; glFinish waits for the software rasteriser. The
// rasteriser's threads make real time swing with other load on the machine;
// LP_NUM_THREADS=0 rasterises on the calling thread, and its CPU time then
// measures the work alone.

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "core/game.h"
#include "render/scene.h"
#include "shell/headless/headless_platform.h"
#include "shell/headless/offscreen_gl.h"
#include "tools/round_options.h"

namespace {

constexpr int kWidth = 1280, kHeight = 1024;

struct BenchScene {
    OffscreenGl gl;
    Game game;
    bool ready = false;
};

// One context and one round for every benchmark: a round 600 steps in, the
// opponents gathered round the player, with the game's own pictures.
BenchScene& scene() {
    static std::unique_ptr<BenchScene> s = [] {
        auto made = std::make_unique<BenchScene>();
        if (!made->gl.open(kWidth, kHeight) || chdir(KORVADA_DATA_DIR) != 0) return made;
        Game& game = made->game;
        game.initGlState();
        game.loadTextures();
        for (const std::string& error : headless().errors) std::fprintf(stderr, "picture: %s\n", error.c_str());
        RoundOptions round;
        round.bottles = 64;
        round.sound = 0;
        layOutRound(game, round);
        for (long step = 1; step <= 600; ++step) playStep(game, round, step);
        game.settings.blending = 1;
        game.setupView(kWidth, kHeight);
        made->ready = headless().errors.empty() && !game.gameOver;
        return made;
    }();
    return *s;
}

void BM_FullFrame(benchmark::State& state) {
    BenchScene& s = scene();
    if (!s.ready) return state.SkipWithError("no offscreen context, pictures or round");
    for (auto _ : state) {
        drawPlayFrame(s.game);
        glFinish();
    }
}
BENCHMARK(BM_FullFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlanesOnly(benchmark::State& state) {
    BenchScene& s = scene();
    if (!s.ready) return state.SkipWithError("no offscreen context, pictures or round");
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        placeCamera(s.game);
        drawPlanes(s.game);
        glPopMatrix();
        glFlush();
        glFinish();
    }
}
BENCHMARK(BM_PlanesOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
