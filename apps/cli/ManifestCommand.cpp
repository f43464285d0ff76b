// `inkstead manifest merge FILE...`: the manifests of the tasks of one export, combined.

#include "CliSupport.h"

#include "inkstead/export/OVManifestMerge.h"

#include <cstdio>
#include <memory>

namespace cli {
namespace {

struct MergeOptions {
    std::vector<std::filesystem::path> files;
    std::filesystem::path output;
    std::size_t listed = 20;
};

void printTotals(const OVManifestSummary& summary) {
    std::printf("%zu images: %zu written, %zu skipped (output existed), %zu failed\n",
                summary.records.size(), summary.written, summary.skipped, summary.failed);
    std::printf("read %.1f MB, wrote %.1f MB, %.1f s of work\n", summary.inputBytes / 1e6,
                summary.outputBytes / 1e6, summary.seconds);
    if (summary.damagedLines > 0)
        std::printf("%zu unreadable lines (cut short by killed tasks)\n", summary.damagedLines);
}

void merge(const MergeOptions& options, int& exitCode) {
    const auto summary = OVMergeManifests(options.files);
    if (!summary)
        throw usageError(summary.error().message, "give the manifest files the export tasks wrote");
    if (!options.output.empty())
        if (const auto written = OVWriteManifest(options.output, summary.value()); !written)
            throw usageError(written.error().message,
                             "choose a file in a folder you can write to with -o FILE");

    printTotals(*summary);
    std::size_t shown = 0;
    for (const auto& record : summary->records) {
        if (record.status != OVManifestStatus::Failed)
            continue;
        if (shown++ < options.listed)
            std::printf("failed: %s: %s\n", printable(record.input).c_str(),
                        printable(record.reason).c_str());
    }
    if (shown > options.listed)
        std::printf("... and %zu more failures (all of them are in the merged manifest)\n",
                    shown - options.listed);
    for (const auto& output : summary->sharedOutputs)
        std::printf("claimed by more than one input: %s\n", printable(output).c_str());
    exitCode =
        summary->failed > 0 || !summary->sharedOutputs.empty() ? kExitSomeFailed : kExitSuccess;
}

} // namespace

void registerManifestCommand(CLI::App& app, CommonOptions&, int& exitCode) {
    auto* command =
        app.add_subcommand("manifest", "Work with the manifests that export --manifest writes");
    command->require_subcommand(1);
    auto options = std::make_shared<MergeOptions>();
    auto* merged = command->add_subcommand(
        "merge", "Combine the manifests of an export's tasks and report totals and failures");
    merged->footer("\nExamples:\n  inkstead manifest merge manifests/*.txt\n"
                   "  inkstead manifest merge manifests/*.txt -o all.txt\n\n"
                   "Exit status: 0 every image done, 1 some failed or an output is claimed "
                   "twice, 2 a manifest cannot be read.");
    merged->add_option("FILE", options->files, "Manifests of the tasks")
        ->required()
        ->type_name("FILE");
    merged
        ->add_option("-o,--output", options->output,
                     "Write the combined manifest (one line per input) to FILE")
        ->type_name("FILE");
    merged->add_option("--list", options->listed, "Failures to list (all are in the combined file)")
        ->capture_default_str();
    merged->callback([options, &exitCode] { merge(*options, exitCode); });
}

} // namespace cli
