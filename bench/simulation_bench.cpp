// Cost of one simulation step and of laying out a round.
//
//   build/bench/korvada_simulation_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include "core/game.h"
#include "core/random.h"
#include "shell/headless/headless_platform.h"

namespace {

// A round some seconds in, when the opponents have gathered at the centre
// and knock each other: the busiest the step gets.
void BM_StepSimulation(benchmark::State& state) {
    static Game game;
    game.usePlatform(headless().services());
    const int bottles = static_cast<int>(state.range(0));
    seedRandom(1);
    game.settings.sound = 1;
    game.setupRound(bottles, kRoundBubbles);
    for (int i = 0; i < 600; ++i) game.stepSimulation(0.016f);
    headless().sounds.clear();
    for (auto _ : state) {
        game.stepSimulation(0.016f);
        if (headless().sounds.size() > 100000) headless().sounds.clear();
    }
    state.counters["cues/step"] =
        benchmark::Counter(static_cast<double>(headless().sounds.size()) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_StepSimulation)->Arg(4)->Arg(16)->Arg(64);

void BM_SetupRound(benchmark::State& state) {
    static Game game;
    game.usePlatform(headless().services());
    for (auto _ : state) {
        game.setupRound(64, kRoundBubbles);
        benchmark::DoNotOptimize(game.bottles[0].y);
    }
}
BENCHMARK(BM_SetupRound);

}  // namespace

BENCHMARK_MAIN();
