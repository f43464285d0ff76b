// Size and speed of export manifests at scale: writes a generated manifest of a million photos
// split over the manifests of several tasks (one append per photo, as an export does), then
// merges them and writes the combined manifest, timing each step.
//
//   bench_manifest [--photos N] [--tasks T] [--keep DIR]

#include "inkstead/export/OVExportManifest.h"
#include "inkstead/export/OVManifestMerge.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A record as a 24 MP shoot gives it: a studio-style path, a 10 MB source, a 4 MB output, and
// one failure in a thousand.
OVManifestRecord recordOf(std::size_t photo) {
    char input[160], output[160];
    std::snprintf(input, sizeof input, "/data/shoots/2026/client-%04zu/session-%03zu/IMG_%06zu.JPG",
                  photo / 10000, photo / 500 % 1000, photo);
    std::snprintf(output, sizeof output, "/data/watermarked/2026/IMG_%06zu.JPG", photo);
    OVManifestRecord record{OVManifestStatus::Done,
                            input,
                            output,
                            10'000'000 + photo % 4096,
                            4'000'000 + photo % 2048,
                            0.6 + double(photo % 100) / 1000,
                            {}};
    if (photo % 1000 == 999) {
        record.status = OVManifestStatus::Failed;
        record.output.clear();
        record.outputBytes = 0;
        record.reason = "cannot decode: Premature end of JPEG file";
    }
    return record;
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Processor time of this process so far (user + system), which a busy machine does not inflate.
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    std::size_t photos = 1'000'000, tasks = 100;
    std::string keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--photos"))
            photos = std::strtoull(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--tasks"))
            tasks = std::max<std::size_t>(1, std::strtoull(argv[i + 1], nullptr, 10));
        else if (!std::strcmp(argv[i], "--keep"))
            keep = argv[i + 1];
    }
    const fs::path dir =
        keep.empty() ? fs::temp_directory_path() / ("bench-manifest-" + std::to_string(getpid()))
                     : fs::path(keep);
    fs::create_directories(dir);

    std::vector<fs::path> files;
    std::vector<std::unique_ptr<OVExportManifest>> manifests;
    for (std::size_t t = 0; t < tasks; ++t) {
        files.push_back(dir / ("task-" + std::to_string(t + 1) + ".txt"));
        fs::remove(files.back());
        auto opened = OVExportManifest::open(files.back());
        if (!opened) {
            std::fprintf(stderr, "%s\n", opened.error().message.c_str());
            return 1;
        }
        manifests.push_back(std::move(opened).value());
    }
    auto start = std::chrono::steady_clock::now();
    for (std::size_t p = 0; p < photos; ++p)
        if (!manifests[p % tasks]->append(recordOf(p)))
            return 1;
    const double appendSeconds = secondsSince(start);
    manifests.clear();
    std::uintmax_t bytes = 0;
    for (const auto& file : files)
        bytes += fs::file_size(file);

    start = std::chrono::steady_clock::now();
    const double cpuBefore = cpuSeconds();
    const auto summary = OVMergeManifests(files);
    const double mergeSeconds = secondsSince(start);
    const double mergeCpu = cpuSeconds() - cpuBefore;
    if (!summary) {
        std::fprintf(stderr, "%s\n", summary.error().message.c_str());
        return 1;
    }
    start = std::chrono::steady_clock::now();
    if (const auto written = OVWriteManifest(dir / "merged.txt", summary.value()); !written) {
        std::fprintf(stderr, "%s\n", written.error().message.c_str());
        return 1;
    }
    const double writeSeconds = secondsSince(start);
    const auto mergedBytes = fs::file_size(dir / "merged.txt");

    std::printf("photos %zu in %zu task manifests\n", photos, tasks);
    std::printf("append   %.2f s (%.1f us per record, one write each)\n", appendSeconds,
                appendSeconds * 1e6 / double(photos));
    std::printf("size     %.1f MB in the task manifests (%.0f bytes per line), merged %.1f MB\n",
                double(bytes) / 1e6, double(bytes) / double(photos), double(mergedBytes) / 1e6);
    std::printf("merge    %.2f s read + combine (%.2f s of processor time), %.2f s write; %zu "
                "written, %zu failed\n",
                mergeSeconds, mergeCpu, writeSeconds, summary->written, summary->failed);
    std::printf("memory   %ld MB peak\n", peakMegabytes());
    if (keep.empty())
        fs::remove_all(dir);
    return summary->records.size() == photos ? 0 : 1;
}
