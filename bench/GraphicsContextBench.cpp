// Costs of the graphics layer on export-sized canvases: the opaque photo draw that every export
// does once, and the per-watermark operations with alpha and a soft shadow.

#include "inkstead/platform/gfx/GraphicsContext.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 6000; // 24 megapixels
constexpr int kHeight = 4000;

ov::ImagePtr photo() {
    static ov::ImagePtr image = [] {
        auto ctx = ov::GraphicsContext::createBitmap(kWidth, kHeight);
        ctx->drawLinearGradient({{{0.2, 0.3, 0.4, 1}, {0.9, 0.8, 0.7, 1}}, {}}, {0, 0},
                                {kWidth, kHeight});
        return ctx->takeImage();
    }();
    return image;
}

void BM_DrawPhotoIntoCanvas(benchmark::State& state) {
    ov::ImagePtr image = photo();
    auto ctx = ov::GraphicsContext::createBitmap(kWidth, kHeight);
    for (auto _ : state) {
        ctx->drawImage({0, 0, kWidth, kHeight}, *image);
        benchmark::DoNotOptimize(ctx->data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_DrawPhotoIntoCanvas)->Unit(benchmark::kMillisecond);

void BM_NewCanvasPhotoAndTake(benchmark::State& state) {
    ov::ImagePtr image = photo();
    for (auto _ : state) {
        auto ctx = ov::GraphicsContext::createBitmap(kWidth, kHeight);
        ctx->drawImage({0, 0, kWidth, kHeight}, *image);
        benchmark::DoNotOptimize(ctx->takeImage());
    }
}
BENCHMARK(BM_NewCanvasPhotoAndTake)->Unit(benchmark::kMillisecond);

// A logo-sized image watermark: half opacity and the soft shadow every watermark kind uses.
void BM_ShadowedLogo(benchmark::State& state) {
    auto logoCtx = ov::GraphicsContext::createBitmap(600, 300);
    logoCtx->setFillColor({0.8, 0.1, 0.1, 1});
    logoCtx->fillRect({0, 0, 600, 300});
    ov::ImagePtr logo = logoCtx->takeImage();
    auto ctx = ov::GraphicsContext::createBitmap(kWidth, kHeight);
    for (auto _ : state) {
        ctx->saveGState();
        ctx->setAlpha(0.5);
        ctx->setShadowWithColor({0, 0}, 7, ov::Color::black(0.6));
        ctx->drawImage({2000, 1500, 1200, 600}, *logo);
        ctx->restoreGState();
    }
}
BENCHMARK(BM_ShadowedLogo)->Unit(benchmark::kMillisecond);

void BM_ShadowedShape(benchmark::State& state) {
    auto ctx = ov::GraphicsContext::createBitmap(kWidth, kHeight);
    for (auto _ : state) {
        ctx->saveGState();
        ctx->setShadowWithColor({0, 0}, 7, ov::Color::black(0.6));
        ctx->setFillColor({0.1, 0.4, 0.8, 1});
        ctx->addEllipseInRect(
            {1000, 1000, static_cast<double>(state.range(0)), static_cast<double>(state.range(0))});
        ctx->fillPath();
        ctx->restoreGState();
    }
}
BENCHMARK(BM_ShadowedShape)->Arg(200)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
