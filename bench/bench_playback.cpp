// Cost of the display as it runs in the host: one steady-state tick of the playback view with
// three marquees running, one track change with the tick that rebuilds the marquees, and one
// keystroke in a template box of the preferences page (stored, handed to the display, rendered).
#include <benchmark/benchmark.h>

#include "playback_scene.h"
#include "preferences_window.h"

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

void PreferencesTemplateKeystroke(benchmark::State& state) {
    playback_scene scene;
    velvox_host::preferences_host_window host;
    velvox_host::preferences_window page(*scene.component, host.handle());
    int line_edit = velvox_host::setting_control_named("cfg_softkey1_line1").first_control;
    bool typed = false;
    for (auto _ : state) {  // a space typed after the template, then taken back
        typed = !typed;
        page.type_text(line_edit, typed ? " " : "\b", velvox_host::typing_start::at_end);
    }
    page.close();
}
BENCHMARK(PreferencesTemplateKeystroke);

}  // namespace
BENCHMARK_MAIN();
