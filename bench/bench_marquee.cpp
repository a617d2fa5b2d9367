// Cost of a marquee (the screens' streaming text line) in steady state, scrolling, and of the
// rebuild that follows a text change.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "CLCDStreamingText.h"

namespace {

const WCHAR* const TITLE = WSTR("Sigur Rós - Hoppípolla (live at the Hammersmith Apollo, 2006)");
const WCHAR* const OTHER_TITLE = WSTR("Sigur Rós - Glósóli (live at the Hammersmith Apollo, 2006)");

struct marquee_on_surface {
    marquee_on_surface() {
        if (FAILED(gfx.CreateSurface(LCD_WIDTH, LCD_HEIGHT))) throw std::runtime_error("surface not created");
        gfx.StartFrame();
        line.Prepare();
        line.SetOrigin(0, 0);
        line.SetSize(LCD_WIDTH, 13);
        line.SetScrollRate(20);
        line.SetStartPause(0);
        line.SetText(TITLE);
        line.Paint(gfx);  // the build paint
    }
    ~marquee_on_surface() { gfx.FinishFrame(); }
    CLCDGfx gfx;
    CLCDStreamingText line;
};

void MarqueeSteadyStatePaint(benchmark::State& state) {
    marquee_on_surface scene;
    DWORD now = GetTickCount();
    for (auto _ : state) {
        now += 100;
        scene.line.Tick(now);
        scene.line.Paint(scene.gfx);
        benchmark::DoNotOptimize(scene.line);
    }
}
BENCHMARK(MarqueeSteadyStatePaint);

void MarqueeRebuildAfterTextChange(benchmark::State& state) {
    marquee_on_surface scene;
    bool other = false;
    for (auto _ : state) {
        other = !other;
        scene.line.SetText(other ? OTHER_TITLE : TITLE);
        scene.line.Paint(scene.gfx);
        benchmark::DoNotOptimize(scene.line);
    }
}
BENCHMARK(MarqueeRebuildAfterTextChange);

}  // namespace
