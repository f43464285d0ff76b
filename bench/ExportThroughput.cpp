// Throughput of a whole batch export against plain libvips decode + encode of the same files.
//
// Generates a folder of JPEG photographs (24 at 12 megapixels by default), then measures, each
// in a fresh child process so that peak memory is its own:
//   baseline: libvips opens every file and saves it again as JPEG, `jobs` files at once;
//   export:   the save manager exports the folder with a preset holding one watermark of every
//             kind, `jobs` images in flight.
// Prints images per second, peak resident memory and the ratio of the two times.
//
//   bench_export_throughput [--images N] [--width W] [--height H] [--jobs J] [--keep DIR]

#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/export/OVSaveImageList.h"
#include "inkstead/export/OVSaveManager.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <vips/vips8>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;

namespace {

struct Options {
    int images = 24;
    int width = 4000;
    int height = 3000;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::string keep;
};

std::vector<fs::path> jpegsIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".jpg")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Photographs with detail everywhere (a gradient under noise), so the encoder has real work.
void generate(const fs::path& folder, const Options& o) {
    for (int i = 0; i < o.images; ++i) {
        vips::VImage x = vips::VImage::xyz(o.width, o.height);
        vips::VImage gradient =
            (x[0] * (255.0 / o.width) + x[1] * (128.0 / o.height) + i * 3) % 256;
        vips::VImage noise =
            vips::VImage::gaussnoise(o.width, o.height, vips::VImage::option()->set("sigma", 24.0));
        vips::VImage red = (gradient + noise).cast(VIPS_FORMAT_UCHAR);
        vips::VImage rgb =
            red.bandjoin(gradient.cast(VIPS_FORMAT_UCHAR))
                .bandjoin((255 - gradient).cast(VIPS_FORMAT_UCHAR))
                .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        char name[32];
        std::snprintf(name, sizeof name, "photo%02d.jpg", i);
        rgb.jpegsave((folder / name).c_str(), vips::VImage::option()->set("Q", 90));
    }
}

double baseline(const fs::path& input, const fs::path& output, int jobs) {
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    const auto files = jpegsIn(input);
    std::atomic<std::size_t> next{0};
    const auto start = std::chrono::steady_clock::now();
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < jobs; ++t)
            threads.emplace_back([&] {
                for (std::size_t i; (i = next.fetch_add(1)) < files.size();) {
                    vips::VImage image = vips::VImage::new_from_file(
                        files[i].c_str(),
                        vips::VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
                    image.jpegsave((output / files[i].filename()).c_str(),
                                   vips::VImage::option()->set("Q", 90));
                }
            });
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class FolderList : public OVSaveImageList {
public:
    FolderList(std::vector<fs::path> files, std::string presetID)
        : files_(std::move(files)), presetID_(std::move(presetID)) {}
    std::size_t count() const override { return files_.size(); }
    std::optional<fs::path> URLAtIndex(std::size_t i) const override { return files_.at(i); }
    std::string presetIDAtIndex(std::size_t) const override { return presetID_; }

private:
    std::vector<fs::path> files_;
    std::string presetID_;
};

std::shared_ptr<OVPreset> everyKindPreset() {
    auto preset = std::make_shared<OVPreset>("Every kind");
    preset->addWatermark(OVPixellateWatermark::pixellateWatermark());
    preset->addWatermark(OVShapeWatermark::squareShapeWatermark());
    preset->addWatermark(OVShapeWatermark::circleShapeWatermark());
    preset->addWatermark(OVArrowWatermark::arrowWatermark());
    preset->addWatermark(OVStrikethroughWatermark::strikethroughWatermark());
    preset->addWatermark(OVImageWatermark::imageWatermark());
    preset->addWatermark(OVTextWatermark::textWatermark());
    return preset;
}

double exportFolder(const fs::path& input, const fs::path& output, int jobs) {
    auto preset = everyKindPreset();
    auto renderer =
        std::make_shared<OVPipelineRenderer>([preset](const std::string&) { return preset; });
    auto list = std::make_shared<FolderList>(jpegsIn(input), "every-kind");
    auto manager = std::make_shared<OVSaveManager>(output);
    manager->setModel(list);
    manager->setRenderer(renderer);
    manager->setMaximumConcurrentImages(static_cast<std::size_t>(jobs));
    std::vector<std::size_t> all(list->count());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    std::size_t failed = 0;
    const auto start = std::chrono::steady_clock::now();
    manager->beginSheetModalForWindow(nullptr, all, [&](bool, const OVSaveReport& report) {
        failed = report.failures.size();
        for (const auto& f : report.failures)
            std::fprintf(stderr, "failed: %s: %s\n", f.source.c_str(), f.reason.c_str());
    });
    manager->waitUntilFinished();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return failed ? -1.0 : seconds;
}

struct ChildResult {
    double seconds = -1;
    long maxRssKiB = 0;
    /// Processor time of the child (user + system): the cost per core, which a machine busy
    /// with other work does not inflate as it does the wall time.
    double cpuSeconds = 0;
};

// Runs this program again in `mode`; the child prints its time on standard output.
ChildResult runChild(const char* self, const char* mode, const fs::path& input,
                     const fs::path& output, int jobs) {
    fs::remove_all(output);
    fs::create_directories(output);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string jobsText = std::to_string(jobs);
    std::vector<std::string> args = {self,           "--child",       mode,
                                     input.string(), output.string(), jobsText};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    ChildResult result;
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return result;
    }
    char buffer[64] = {};
    const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer - 1);
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (n > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        result.seconds = std::atof(buffer);
    result.maxRssKiB = usage.ru_maxrss;
    result.cpuSeconds = double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6 +
                        double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0]))
        return 2;
    if (argc == 6 && std::strcmp(argv[1], "--child") == 0) {
        const int jobs = std::atoi(argv[5]);
        const double seconds = std::strcmp(argv[2], "baseline") == 0
                                   ? baseline(argv[3], argv[4], jobs)
                                   : exportFolder(argv[3], argv[4], jobs);
        std::printf("%.6f\n", seconds);
        return seconds < 0 ? 1 : 0;
    }

    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char* value = argv[i + 1];
        if (key == "--images")
            o.images = std::atoi(value);
        else if (key == "--width")
            o.width = std::atoi(value);
        else if (key == "--height")
            o.height = std::atoi(value);
        else if (key == "--jobs")
            o.jobs = std::max(1, std::atoi(value));
        else if (key == "--keep")
            o.keep = value;
    }

    const fs::path root = o.keep.empty() ? fs::temp_directory_path() /
                                               ("inkstead-bench-" + std::to_string(::getpid()))
                                         : fs::path(o.keep);
    const fs::path input = root / "in";
    fs::create_directories(input);
    if (jpegsIn(input).size() != static_cast<std::size_t>(o.images)) {
        std::printf("generating %d photographs of %d x %d ...\n", o.images, o.width, o.height);
        generate(input, o);
    }

    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return 2;
    self[length] = '\0';

    const ChildResult plain = runChild(self, "baseline", input, root / "plain", o.jobs);
    const ChildResult watermarked = runChild(self, "export", input, root / "export", o.jobs);
    const double megapixels = o.width * static_cast<double>(o.height) / 1e6;
    std::printf("%d images of %.1f MP, %d in flight\n", o.images, megapixels, o.jobs);
    std::printf("libvips decode+encode: %6.2f s  %6.2f images/s  peak %6.1f MiB\n", plain.seconds,
                o.images / plain.seconds, plain.maxRssKiB / 1024.0);
    std::printf("watermark export:      %6.2f s  %6.2f images/s  peak %6.1f MiB\n",
                watermarked.seconds, o.images / watermarked.seconds,
                watermarked.maxRssKiB / 1024.0);
    std::printf("ratio export / plain:  %.2f\n", watermarked.seconds / plain.seconds);
    std::printf("processor time:        %.2f s plain, %.2f s export = %.2f images per "
                "processor-second\n",
                plain.cpuSeconds, watermarked.cpuSeconds, o.images / watermarked.cpuSeconds);

    if (o.keep.empty())
        fs::remove_all(root);
    vips_shutdown();
    return plain.seconds > 0 && watermarked.seconds > 0 ? 0 : 1;
}
