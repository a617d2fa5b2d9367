// Cost of the text object in steady state (one DrawTextExW of a full 160-pixel line per refresh)
// and of a re-measure after a change of text (two DT_CALCRECT layouts, then the draw).
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "CLCDText.h"

namespace {

const WCHAR* const LINE = WSTR("Sigur Rós - Hoppípolla (Takk...) 4:28 / 1:07");
const WCHAR* const OTHER_LINE = WSTR("Sigur Rós - Hoppípolla (Takk...) 4:28 / 1:08");

struct line_on_surface {
    line_on_surface() {
        if (FAILED(gfx.CreateSurface(LCD_WIDTH, LCD_HEIGHT))) throw std::runtime_error("surface not created");
        gfx.StartFrame();
        text.Prepare();
        text.SetSize(LCD_WIDTH, 13);
        text.SetText(LINE);
        text.Paint(gfx);  // measured once; later paints only draw
    }
    ~line_on_surface() { gfx.FinishFrame(); }
    CLCDGfx gfx;
    CLCDText text;
};

void SteadyStateLine(benchmark::State& state) {
    line_on_surface scene;
    for (auto _ : state) {
        scene.text.Paint(scene.gfx);
        benchmark::DoNotOptimize(scene.text.GetTextExtent());
    }
}
BENCHMARK(SteadyStateLine);

void RemeasureLine(benchmark::State& state) {
    line_on_surface scene;
    bool other = false;
    for (auto _ : state) {
        other = !other;
        scene.text.SetText(other ? OTHER_LINE : LINE);
        scene.text.Paint(scene.gfx);
        benchmark::DoNotOptimize(scene.text.GetTextExtent());
    }
}
BENCHMARK(RemeasureLine);

}  // namespace

BENCHMARK_MAIN();
