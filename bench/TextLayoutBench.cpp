// The dynamic font-size search runs on every step of an interactive resize, so it has to stay
// well under a frame's time even for tall frames, where it tries hundreds of candidate sizes.

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <benchmark/benchmark.h>

namespace {

// A 1000-unit-high frame wide enough that the search runs down to the line-height limit.
void BM_DynamicSize1000High(benchmark::State& state) {
    const ov::AttributedString string("Text...");
    for (auto _ : state)
        benchmark::DoNotOptimize(
            OVAttributedStringSetDynamicSize(&string, "Helvetica", 4000, 1000));
}
BENCHMARK(BM_DynamicSize1000High)->Unit(benchmark::kMicrosecond);

// A narrow 1000-unit-high frame: the width stops the search, after most of the candidates.
void BM_DynamicSize1000HighNarrow(benchmark::State& state) {
    const ov::AttributedString string("A watermark of several words");
    for (auto _ : state)
        benchmark::DoNotOptimize(OVAttributedStringSetDynamicSize(&string, "Helvetica", 800, 1000));
}
BENCHMARK(BM_DynamicSize1000HighNarrow)->Unit(benchmark::kMicrosecond);

// The first search for a text not seen before on the thread: shaping included.
void BM_DynamicSizeNewText(benchmark::State& state) {
    int serial = 0;
    for (auto _ : state) {
        const ov::AttributedString string("Text " + std::to_string(serial++));
        benchmark::DoNotOptimize(
            OVAttributedStringSetDynamicSize(&string, "Helvetica", 4000, 1000));
    }
}
BENCHMARK(BM_DynamicSizeNewText)->Unit(benchmark::kMicrosecond);

// Rendering a 96-point text watermark on a 1000 × 1000 canvas.
void BM_RenderText(benchmark::State& state) {
    auto canvas = ov::GraphicsContext::createBitmap(1000, 1000);
    auto text = OVTextWatermark::textWatermark();
    text->setBounds({0, 0, 1000, 1000});
    for (auto _ : state)
        text->renderInContext(*canvas);
}
BENCHMARK(BM_RenderText)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
