// Render + encode of one 24-megapixel JPEG with a preset of three shapes, against plain libvips
// decode + encode of the same file, in the same run. The ratio of the two times is the cost of
// the watermarking pipeline (orientation, canvas, drawing, metadata) over the codec work that
// any export must do.
//
//   bench_render_throughput [--benchmark_repetitions=3 ...]

#include "BenchPhoto.h"

#include "inkstead/imaging/OVImageMetadata.h"
#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVShapeWatermark.h"

#include <benchmark/benchmark.h>
#include <vips/vips8>

#include <cstdlib>
#include <ctime>

namespace {

constexpr int kWidth = bench::kPhotoWidth;
constexpr int kHeight = bench::kPhotoHeight;
using bench::photoPath;

// CPU time of the whole process (every libvips worker included), in milliseconds: unlike wall
// time it does not depend on how busy the machine is.
double processCPUMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

void reportCounters(benchmark::State& state, double cpuStart) {
    state.counters["MP/s"] = benchmark::Counter(
        double(kWidth) * kHeight / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
    // With several threads each reports the process total, so the average is per image.
    state.counters["processCPUms/image"] = benchmark::Counter(
        (processCPUMilliseconds() - cpuStart) / double(state.iterations()) / state.threads(),
        benchmark::Counter::kAvgThreads);
}

std::shared_ptr<OVPreset> threeShapes() {
    auto preset = std::make_shared<OVPreset>();
    std::vector<OVWatermarkPtr> shapes;
    for (int i = 0; i < 3; ++i) {
        auto shape = i == 1 ? OVShapeWatermark::circleShapeWatermark()
                            : OVShapeWatermark::squareShapeWatermark();
        shape->setFillColor(ov::Color{1.0, 0.2 * i, 0.0, 0.5});
        shape->setStrokeColor(ov::Color{0, 0, 0, 1});
        shape->setStrokeThickness(8);
        shape->setOrigin({300.0 + 1500 * i, 400.0 + 700 * i});
        shape->setSize({1200, 900});
        shapes.push_back(shape);
    }
    preset->setWatermarks(std::move(shapes));
    return preset;
}

void BM_PlainDecodeEncode(benchmark::State& state) {
    const auto& path = photoPath();
    const double cpuStart = processCPUMilliseconds();
    for (auto _ : state) {
        auto image = vips::VImage::new_from_file(
            path.c_str(), vips::VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        void* buffer = nullptr;
        std::size_t size = 0;
        image.write_to_buffer(".jpg", &buffer, &size, vips::VImage::option()->set("Q", 90));
        benchmark::DoNotOptimize(size);
        g_free(buffer);
    }
    reportCounters(state, cpuStart);
}

void BM_RenderAndEncode(benchmark::State& state) {
    const auto& path = photoPath();
    const double cpuStart = processCPUMilliseconds();
    for (auto _ : state) {
        auto source = ov::ImageSource::createWithURL(path);
        auto image = CGImageCreateWatermarkedImageWithPreset(source, threeShapes());
        const auto properties = propertiesForImageSource(source, false);
        auto encoded = ov::encodeImage(*image, source->type(), properties ? &*properties : nullptr);
        if (encoded.empty()) {
            state.SkipWithError("encoding failed");
            break;
        }
        benchmark::DoNotOptimize(encoded.data());
    }
    reportCounters(state, cpuStart);
}

// One image at a time (latency), and one image per core at once (the throughput of an export).
BENCHMARK(BM_PlainDecodeEncode)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime()
    ->Threads(1)
    ->Threads(2);
BENCHMARK(BM_RenderAndEncode)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime()
    ->Threads(1)
    ->Threads(2);

} // namespace

BENCHMARK_MAIN();
