#include "ExportRun.h"

#include "CliSupport.h"
#include "ExportOptions.h"
#include "ExportReport.h"
#include "ExportShard.h"
#include "Interrupt.h"
#include "MarkSummary.h"
#include "ProgressBar.h"

#include "inkstead/export/OVExportInputs.h"
#include "inkstead/export/OVExportManifest.h"
#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/export/OVOutputNames.h"
#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/export/OVSaveManager.h"
#include "inkstead/export/OVUniqueFilename.h"
#include "inkstead/model/OVModel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>

namespace fs = std::filesystem;

namespace cli {
namespace {

// The images of a run: what the image list found, and inputs that failed before the batch.
OVExportInputs collectInputs(const ExportJob& job) {
    OVExportInputs collected =
        OVCollectExportInputs(job.inputs, job.preset->uuid(), job.includeOutputs);
    if (!job.quiet)
        for (const auto& folder : collected.emptyFolders)
            std::fprintf(stderr, "inkstead: no images in %s\n", folder.c_str());
    return collected;
}

} // namespace

std::vector<std::string> outputTypesFor(const ExportJob& job, std::size_t count) {
    return std::vector<std::string>(count,
                                    std::string(OVOutputFormatType(job.preset->outputFormat())));
}

namespace {

// The names the batch gives, from the library function the save manager names them with, or
// `given` (by model index) when the names come from the whole list.
std::vector<OVExportOutcome> planOutputs(const ExportJob& job, const OVModel& model,
                                      const std::vector<fs::path>& given) {
    std::vector<std::optional<fs::path>> sources;
    for (std::size_t i = 0; i < model.count(); ++i)
        sources.push_back(model.URLAtIndex(i));
    const auto names =
        namesFromList(job)
            ? given
            : OVOutputNames(sources, {job.outputFolder, job.pattern, mirroredFolders(job),
                                      job.conflict, true, outputTypesFor(job, sources.size())});
    return OVPlannedOutcomes(sources, names, job.outputFolder, job.conflict);
}

void makeOutputFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return;
    if (fs::exists(folder, ec))
        throw usageError("the output folder " + folder.string() + " is a file",
                         "give -o a folder (it is created when missing)");
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder))
        throw usageError("cannot create the output folder " + folder.string() + ": " +
                             (ec ? ec.message() : "unknown error"),
                         "choose a folder you can write to with -o DIR");
}

OVExportSummary summaryFor(const ExportJob& job) {
    OVExportSummary summary;
    summary.presetName = job.preset->name();
    summary.presetUUID = job.preset->uuid().uuidString();
    summary.outputFolder = job.outputFolder;
    summary.dryRun = job.dryRun;
    return summary;
}

void printPlan(const ExportJob& job, const OVExportSummary& summary) {
    std::printf("Preset: %s (%s)\n", printable(summary.presetName).c_str(),
                summary.presetUUID.c_str());
    std::printf("  export: %s\n", OVPresetExportSummary(*job.preset).c_str());
    for (const auto& mark : job.preset->watermarks())
        std::printf("  %s: %s\n", OVWatermarkKindName(*mark).c_str(),
                    OVWatermarkSummary(*mark).c_str());
    for (const auto& image : summary.images) {
        if (image.status == OVExportStatus::Planned)
            std::printf("%s -> %s\n", image.source.c_str(), image.output.c_str());
        else if (image.status == OVExportStatus::Skipped)
            std::printf("skip %s: %s\n", image.source.c_str(), image.error.c_str());
    }
}

void printFailures(const OVExportSummary& summary, bool quiet) {
    for (const auto& image : summary.images) {
        if (image.status == OVExportStatus::Skipped && !quiet && !summary.dryRun)
            std::fprintf(stderr, "inkstead: skipped: %s: %s\n", image.source.c_str(),
                         image.error.c_str());
        for (const auto& warning : image.warnings)
            std::fprintf(stderr, "inkstead: warning: %s: %s\n", image.source.c_str(),
                         warning.c_str());
        if (image.status == OVExportStatus::Failed)
            std::fprintf(stderr, "inkstead: failed: %s: %s\n", image.source.c_str(),
                         image.error.c_str());
    }
}

int exitCodeFor(const OVExportSummary& summary) {
    if (summary.cancelled)
        return interruptedExitCode();
    return summary.count(OVExportStatus::Failed) > 0 ? kExitSomeFailed : kExitSuccess;
}

// Appends to the manifest; the first failure is reported once, the export goes on.
void record(OVExportManifest* manifest, const OVManifestRecord& record) {
    static std::atomic<bool> reported{false};
    if (!manifest)
        return;
    if (const auto appended = manifest->append(record); !appended && !reported.exchange(true))
        std::fprintf(stderr, "inkstead: %s (a rerun will export these images again)\n",
                     appended.error().message.c_str());
}

// Output names and list paths, by model index, of a job named from the whole list.
struct ListedNames {
    std::vector<fs::path> names;
    std::vector<fs::path> sources;
};

// Runs the batch through the save manager and waits for it; Ctrl-C cancels it. With `listed`,
// each model entry is written under its given name; with a manifest, each image is recorded as
// soon as it is done, under its path in the list (the image list resolves links, and a rerun
// looks the list's paths up).
OVSaveReport runBatch(const ExportJob& job, const std::shared_ptr<OVModel>& model,
                      const ListedNames* listed, OVExportManifest* manifest) {
    auto manager = std::make_shared<OVSaveManager>(job.outputFolder);
    manager->setModel(model);
    const auto renderer = OVPipelineRenderer::rendererWithPreset(job.preset);
    renderer->setQuality(job.quality);
    manager->setRenderer(renderer);
    manager->setFilenamePattern(job.pattern);
    manager->setMirroredFolders(mirroredFolders(job));
    manager->setConflictPolicy(job.conflict);
    if (manifest)
        manager->setImageHandler([manifest, listed](const OVSaveImageEvent& event) {
            const fs::path& source = listed && event.index < listed->sources.size()
                                         ? listed->sources[event.index]
                                         : event.source;
            record(manifest, OVManifestRecordOf(OVExportOutcomeOf(event, source), event.seconds));
        });
    if (job.jobs > 0)
        manager->setMaximumConcurrentImages(job.jobs);
    std::shared_ptr<ProgressBar> bar;
    if (ProgressBar::wanted(job.quiet)) {
        bar = std::make_shared<ProgressBar>(model->count(), stderr);
        manager->setProgressWindowController(bar);
    }

    std::vector<std::size_t> indexes(model->count());
    for (std::size_t i = 0; i < indexes.size(); ++i)
        indexes[i] = i;
    std::promise<OVSaveReport> done;
    auto report = done.get_future();

    InterruptWatcher watcher([&manager, bar] {
        if (bar)
            bar->clear();
        std::fprintf(stderr, "inkstead: cancelling; finishing the images in progress (press "
                             "Ctrl-C again to quit at once)\n");
        manager->cancelProgress();
    });
    auto finished = [&done](bool, const OVSaveReport& result) { done.set_value(result); };
    if (listed)
        manager->beginSheetModalForWindow(nullptr, std::move(indexes), listed->names, finished);
    else
        manager->beginSheetModalForWindow(nullptr, std::move(indexes), finished);
    manager->waitUntilFinished();
    return report.get();
}

// The manifest of the job, opened for appending (only read for a dry run); null without one.
std::unique_ptr<OVExportManifest> openManifest(const ExportJob& job) {
    if (job.manifest.empty())
        return nullptr;
    auto opened =
        job.dryRun ? OVExportManifest::read(job.manifest) : OVExportManifest::open(job.manifest);
    if (!opened)
        throw usageError(opened.error().message,
                         "give --manifest a file in a folder you can write to");
    auto manifest = std::move(opened).value();
    if (manifest->damagedLines() > 0 && !job.quiet)
        std::fprintf(stderr,
                     "inkstead: %zu unreadable lines in the manifest (cut short by a task that "
                     "was killed); their images are exported again\n",
                     manifest->damagedLines());
    return manifest;
}

// The inputs of a job named from the whole list: a shard of it, or a run resumed from a
// manifest.
OVExportInputs collectListed(ExportJob& job, OVExportManifest* manifest, ListedNames& listed) {
    ShardInputs shard = collectShard(job, manifest);
    OVShardInputs& taken = shard.taken;
    const std::size_t finished = taken.finished.size();
    if (!job.quiet) {
        if (job.shard)
            std::fprintf(stderr, "inkstead: shard %zu of %zu: %zu of %zu images\n",
                         job.shard->index, job.shard->count, shard.share, shard.listed);
        if (finished > 0)
            std::fprintf(stderr, "inkstead: %zu image%s already done by an earlier run\n", finished,
                         finished == 1 ? "" : "s");
    }
    if (!job.dryRun)
        for (const auto& image : taken.collected.rejected)
            record(manifest, OVManifestRecordOf(image, 0));
    else // a plan shows the images done before; a run just leaves them out
        for (auto& source : taken.finished)
            taken.collected.rejected.push_back(
                {std::move(source), {}, OVExportStatus::Skipped, "done by an earlier run", {}});
    listed = {std::move(taken.names), std::move(taken.sources)};
    return std::move(taken.collected);
}

} // namespace

ExportResult runExport(ExportJob job) {
    const auto manifest = openManifest(job);
    ListedNames listed;
    OVExportInputs collected =
        namesFromList(job) ? collectListed(job, manifest.get(), listed) : collectInputs(job);
    for (auto& image : collected.rejected)
        if (image.error == kOVEarlierOutputReason)
            image.error += " (--include-outputs stamps it again)";
    if (namesFromList(job) && collected.model->count() == 0 && collected.rejected.empty()) {
        if (!job.quiet)
            std::fprintf(stderr, "inkstead: nothing left to export\n");
        return {};
    }
    if (collected.model->count() == 0 && collected.rejected.empty())
        throw usageError("no images to export",
                         "give image files (JPEG, PNG, TIFF, WebP, HEIC, AVIF, GIF) or folders "
                         "that hold some");

    OVExportSummary summary = summaryFor(job);
    ExportResult result;
    if (job.dryRun) {
        std::error_code ec;
        if (fs::exists(job.outputFolder, ec) && !fs::is_directory(job.outputFolder, ec))
            throw usageError("the output folder " + job.outputFolder.string() + " is a file",
                             "give -o a folder (it is created when missing)");
        summary.images = planOutputs(job, *collected.model, listed.names);
    } else if (collected.model->count() > 0) {
        makeOutputFolder(job.outputFolder);
        const auto start = std::chrono::steady_clock::now();
        const OVSaveReport report =
            runBatch(job, collected.model, namesFromList(job) ? &listed : nullptr, manifest.get());
        summary.elapsedSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        summary.cancelled = report.cancelled;

        // Back into list order, with the images a cancel left out.
        summary.images =
            OVExportOutcomes(report, collected.model->count(), [&collected](std::size_t i) {
                return collected.model->URLAtIndex(i).value_or(fs::path());
            });
        for (const auto& output : report.outputs)
            result.outputs.push_back(output.output);
    }
    summary.images.insert(summary.images.end(), collected.rejected.begin(),
                          collected.rejected.end());

    if (job.dryRun && !job.json)
        printPlan(job, summary);
    printFailures(summary, job.quiet);
    if (job.verbose && !job.dryRun)
        for (const auto& image : summary.images)
            if (image.status == OVExportStatus::Written)
                std::fprintf(stderr, "%s -> %s\n", image.source.c_str(), image.output.c_str());
    if (job.json)
        std::printf("%s\n", OVExportReportJson(summary).c_str());
    if (!job.quiet)
        std::fprintf(stderr, "%s\n", exportSummaryLine(summary).c_str());
    result.exitCode = exitCodeFor(summary);
    return result;
}

} // namespace cli
