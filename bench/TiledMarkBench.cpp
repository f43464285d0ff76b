// A tiled text mark against the same mark drawn once, on a 24-megapixel photograph: the whole
// streamed export (decode, draw, JPEG encode) and the drawing alone on a decoded canvas. The
// copies are rasterised once and composited, so the export of a tiled mark should cost less
// than three times the export of a single one.
//
//   bench_tiled_mark [--benchmark_repetitions=3 ...]

#include "BenchPhoto.h"

#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/imaging/OVWatermarkedPicture.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

std::shared_ptr<OVPreset> textMark(bool tiled) {
    auto text = OVTextWatermark::textWatermark();
    text->setStringValue("(c) Inkstead Photography");
    text->setFontSize(120);
    text->setFontColor(ov::Color{1, 1, 1, 0.6});
    text->setShadow(0.5);
    text->setShouldUseRelativePosition(false);
    text->setOrigin({2000, 1800});
    text->setTiling({.enabled = tiled, .spacing = 0.6, .offsetRows = true, .angle = -30});
    auto preset = std::make_shared<OVPreset>();
    preset->setWatermarks({text});
    return preset;
}

void BM_StreamedExport(benchmark::State& state) {
    const bool tiled = state.range(0) != 0;
    const auto& path = bench::photoPath();
    const auto out = path.parent_path() / ("out-" + std::to_string(::getpid()) + ".jpg");
    for (auto _ : state) {
        std::filesystem::remove(out);
        auto source = ov::ImageSource::createWithURL(path);
        auto picture = OVWatermarkedPictureWithPreset(source, textMark(tiled));
        auto destination = ov::ImageDestination::createWithURL(out, "public.jpeg");
        destination->addPicture(std::move(*picture), nullptr);
        if (!destination->finalize()) {
            state.SkipWithError("export failed");
            break;
        }
    }
    state.SetLabel(tiled ? "tiled" : "single");
}

void BM_DrawOnCanvas(benchmark::State& state) {
    const bool tiled = state.range(0) != 0;
    auto canvas = ov::GraphicsContext::createBitmap(bench::kPhotoWidth, bench::kPhotoHeight);
    auto source = ov::ImageSource::createWithURL(bench::photoPath());
    if (!source->decodeOriented(canvas->width(), canvas->height(), canvas->data(),
                                canvas->bytesPerRow())) {
        state.SkipWithError("cannot decode the benchmark photo");
        return;
    }
    for (auto _ : state) {
        auto preset = textMark(tiled);
        preset->setEnableExportMode();
        preset->setWatermarkBounds({0, 0, double(bench::kPhotoWidth), double(bench::kPhotoHeight)});
        preset->renderInContext(*canvas);
        benchmark::DoNotOptimize(canvas->data());
    }
    state.SetLabel(tiled ? "tiled" : "single");
}

BENCHMARK(BM_StreamedExport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DrawOnCanvas)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
