// Render + encode of one 24-megapixel JPEG with a preset of three shapes, against plain libvips
// decode + encode of the same file, in the same run. The ratio of the two times is the cost of
// the watermarking pipeline (orientation, canvas, drawing, metadata) over the codec work that
// any export must do.
//
//   bench_render_throughput [--benchmark_repetitions=3 ...]

#include "imaging/OVImageMetadata.h"
#include "imaging/OVWatermarkedImage.h"
#include "platform/imageio/ImageDestination.h"
#include "platform/imageio/ImageSource.h"
#include "presets/OVPreset.h"
#include "watermarks/OVShapeWatermark.h"

#include <benchmark/benchmark.h>
#include <vips/vips8>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// Removes the generated photograph's folder when the program ends.
struct TemporaryFolder {
    std::filesystem::path path;
    ~TemporaryFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

// A photograph-like 24 MP JPEG: gradients with noise, so that it does not compress to nothing.
const std::filesystem::path& photoPath() {
    static TemporaryFolder folder{std::filesystem::temp_directory_path() /
                                  ("inkstead-bench-" + std::to_string(::getpid()))};
    static const std::filesystem::path path = [] {
        // Starts libvips with the library's policy, so both sides run under the same settings.
        ov::ImageSource::typeOfFile("/");
        const auto& dir = folder.path;
        std::filesystem::create_directories(dir);
        auto xy = vips::VImage::xyz(kWidth, kHeight);
        auto noise =
            vips::VImage::gaussnoise(kWidth, kHeight, vips::VImage::option()->set("sigma", 12.0));
        auto red = xy[0] * (255.0 / kWidth) + noise;
        auto green = xy[1] * (255.0 / kHeight) + noise;
        auto blue = (xy[0] + xy[1]) * (127.0 / (kWidth + kHeight)) + 60 + noise;
        auto photo = red.bandjoin(green).bandjoin(blue).cast(VIPS_FORMAT_UCHAR);
        auto file = dir / "photo.jpg";
        photo.copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
            .write_to_file((file.string() + "[Q=90]").c_str());
        return file;
    }();
    return path;
}

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
