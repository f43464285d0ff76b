// The mosaic of the pixellate watermark: the block averaging alone over a whole 24 MP picture,
// and a pixellate watermark rendered for export over a typical face-sized region of it.

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVMosaic.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

std::vector<uint8_t> noise(int width, int height) {
    std::vector<uint8_t> pixels(std::size_t(width) * height * 4);
    uint32_t state = 12345;
    for (auto& byte : pixels) {
        state = state * 1664525u + 1013904223u;
        byte = uint8_t(state >> 24);
    }
    return pixels;
}

void BM_MosaicWholePicture(benchmark::State& state) {
    const auto source = noise(kWidth, kHeight);
    std::vector<uint8_t> out(source.size());
    const double side = double(state.range(0));
    for (auto _ : state) {
        OVPixellateRegion({source.data(), kWidth, kHeight, std::size_t(kWidth) * 4}, side, 150, 150,
                          {0, 0, kWidth, kHeight}, out.data(), std::size_t(kWidth) * 4);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_MosaicWholePicture)->Arg(4)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_PixellateWatermarkRender(benchmark::State& state) {
    auto snapshot = ov::Image::create(kWidth, kHeight, std::size_t(kWidth) * 4,
                                      ov::kNativeBitmapInfo, noise(kWidth, kHeight));
    auto canvas = ov::GraphicsContext::createBitmap(kWidth, kHeight);
    auto pixellate = OVPixellateWatermark::pixellateWatermark();
    pixellate->setOrigin({2500, 1500});
    pixellate->setSize({double(state.range(0)), double(state.range(0))});
    pixellate->setBounds({0, 0, kWidth, kHeight});
    pixellate->setImage(snapshot);
    for (auto _ : state)
        pixellate->renderInContext(*canvas);
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_PixellateWatermarkRender)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
