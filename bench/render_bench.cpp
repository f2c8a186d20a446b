// Cost of drawing a play frame of a 64-bottle round at 1280 x 1024 in the
// offscreen context, against the floor: a frame that draws only the ground
// and sky planes, the same way. Run from anywhere:
//
//   build/bench/korvada_render_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//       --benchmark_report_aggregates_only=true
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
#include <map>
#include <memory>

#include "assets/texture.h"
#include "core/game.h"
#include "core/round_driver.h"
#include "render/play_frame.h"
#include "render/scene.h"
#include "shell/headless/headless_platform.h"
#include "shell/headless/offscreen_gl.h"
#include "tools/round_options.h"

namespace {

constexpr int kWidth = 1280, kHeight = 1024;

// The context and the pictures, made once for every benchmark.
struct BenchContext {
    OffscreenGl gl;
    Game pictures;  // only its textures are used
    bool ready = false;
};

BenchContext& context() {
    static std::unique_ptr<BenchContext> c = [] {
        auto made = std::make_unique<BenchContext>();
        if (!made->gl.open(kWidth, kHeight) || chdir(KORVADA_DATA_DIR) != 0) return made;
        initGlState();
        made->pictures.usePlatform(headless().services());
        loadTextures(made->pictures);
        for (const std::string& error : headless().errors) std::fprintf(stderr, "picture: %s\n", error.c_str());
        made->ready = headless().errors.empty();
        return made;
    }();
    return *c;
}

// A 64-bottle round `steps` steps of 16 ms in, with blending on: at 0 the
// bottles hang in their rows under the eye, at 600 the opponents have
// gathered and crowd the view, at 2000 they are spread out far below.
// Returns null when there is no context or the round has already ended.
Game* roundAt(long long steps) {
    static std::map<long long, std::unique_ptr<Game>> rounds;
    if (!context().ready) return nullptr;
    std::unique_ptr<Game>& game = rounds[steps];
    if (!game) {
        game = std::make_unique<Game>(context().pictures);
        RoundOptions round;
        round.bottles = 64;
        round.sound = 0;
        static RoundDriver driver;
        layOutRound(driver, *game, round, 1);
        for (long long step = 1; step <= steps; ++step) playStep(driver, *game, round, step);
        setupView(kWidth, kHeight);
    }
    return game->gameOver ? nullptr : game.get();
}

void BM_FullFrame(benchmark::State& state) {
    Game* game = roundAt(state.range(0));
    if (!game) return state.SkipWithError("no offscreen context, pictures or round");
    for (auto _ : state) {
        drawPlayFrame(*game);
        glFinish();
    }
}
BENCHMARK(BM_FullFrame)->ArgName("steps")->Arg(0)->Arg(600)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlanesOnly(benchmark::State& state) {
    Game* game = roundAt(state.range(0));
    if (!game) return state.SkipWithError("no offscreen context, pictures or round");
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        placeCamera(*game);
        drawPlanes(*game);
        glPopMatrix();
        glFlush();
        glFinish();
    }
}
BENCHMARK(BM_PlanesOnly)->ArgName("steps")->Arg(0)->Arg(600)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
