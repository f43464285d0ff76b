#pragma once

// One batch export from the command line: collect the inputs, plan or write the outputs through
// the library's save manager, show progress, handle Ctrl-C and report.

#include "inkstead/export/OVOutputNames.h"
#include "inkstead/export/OVShard.h"
#include "inkstead/presets/OVPreset.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

class OVFilenamePattern;

namespace cli {

struct ExportJob {
    std::vector<std::filesystem::path> inputs; ///< files and folders
    std::filesystem::path outputFolder;        ///< created when missing
    /// The working preset, a copy made for this run: rendered as a copy per image.
    OVPresetPtr preset;
    std::shared_ptr<OVFilenamePattern> pattern; ///< null: outputs keep their source names
    std::size_t jobs = 0;                       ///< images in flight; 0: one per processor
    std::optional<double> quality;              ///< 0..1
    bool dryRun = false;                        ///< print the plan, write nothing
    bool mirror = false;                        ///< outputs mirror the input folders' structure
    /// What to do when an output's name is taken by an existing file.
    OVConflictPolicy conflict = OVConflictPolicy::Unique;
    /// Stamp files that carry the mark of an earlier export too (skipped by default).
    bool includeOutputs = false;
    /// This run's share of the inputs; with a shard (or a manifest) the outputs are named from the
    /// whole list alone, so that every task and every rerun names each input the same.
    std::optional<OVShard> shard;
    /// Records each image as it is done; images it lists as done are not exported again.
    std::filesystem::path manifest;
    bool json = false;    ///< report on standard output as JSON
    bool quiet = false;   ///< no progress, no summary
    bool verbose = false; ///< each file written, on standard error
};

/// True when the outputs are named from the list alone (a shard or a manifest is given).
[[nodiscard]] inline bool namesFromList(const ExportJob& job) {
    return job.shard || !job.manifest.empty();
}

/// What a run did, for callers that print their own closing words (the demo).
struct ExportResult {
    int exitCode = 0;
    std::vector<std::filesystem::path> outputs;
};

/// Runs the job and prints what it did: failures on standard error (always), progress and a
/// summary (unless quiet), the JSON report (with `json`). Exit code 0 when every image was
/// written, 1 when some failed, 130 when cancelled by Ctrl-C. Throws CliError (exit 2) when there
/// is nothing to export or the output folder cannot be made.
ExportResult runExport(ExportJob job);

/// The type each of `count` outputs of the job is written in (the preset's output format; empty
/// entries keep each source's type), for the extensions of their names.
[[nodiscard]] std::vector<std::string> outputTypesFor(const ExportJob& job, std::size_t count);

} // namespace cli
