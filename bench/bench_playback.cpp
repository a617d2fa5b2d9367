// Cost of the display as it runs in the host: one steady-state tick of the playback view with
// three marquees running, and one track change with the tick that rebuilds the marquees.
#include <benchmark/benchmark.h>

#include "playback_scene.h"

namespace {

void PlaybackSteadyStateTick(benchmark::State& state) {
    playback_scene scene;
    for (auto _ : state) {
        scene.tick();
        benchmark::DoNotOptimize(scene.last_frame());
    }
}
BENCHMARK(PlaybackSteadyStateTick);

void PlaybackTrackChange(benchmark::State& state) {
    playback_scene scene;
    for (auto _ : state) {
        scene.change_track();
        scene.tick();
        benchmark::DoNotOptimize(scene.last_frame());
    }
}
BENCHMARK(PlaybackTrackChange);

}  // namespace
BENCHMARK_MAIN();
