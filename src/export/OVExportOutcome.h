#pragma once

#include "inkstead/export/OVExportManifest.h"
#include "inkstead/export/OVOutputNames.h"
#include "inkstead/export/OVSaveReport.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

//! \name What became of each image of an export
//! One outcome per image, in the order of the list, for a host's report: what a batch wrote,
//! left alone or could not write, what a dry run would write, and the inputs that never made it
//! into the batch.

enum class OVExportStatus {
    Written,    ///< the output file exists
    Failed,     ///< nothing written; `error` says why
    NotStarted, ///< left out because the batch was cancelled
    Planned,    ///< dry run: would be written to `output`
    Skipped,    ///< left alone: its output exists (`output`), or it is itself an earlier output
};

struct OVExportOutcome {
    std::filesystem::path source;
    std::filesystem::path output; ///< empty unless written, planned or skipped for its output
    OVExportStatus status = OVExportStatus::Failed;
    std::string error;
    std::vector<std::string> warnings; ///< what a written output leaves out of its source
};

/// An export as a whole: its preset, its folder, its images and how it ended.
struct OVExportSummary {
    std::string presetName;
    std::string presetUUID;
    std::filesystem::path outputFolder;
    std::vector<OVExportOutcome> images;
    bool dryRun = false;
    bool cancelled = false;
    double elapsedSeconds = 0;

    [[nodiscard]] std::size_t count(OVExportStatus status) const;
};

/// The outcomes of the `count` entries of a batch in list order: each written, skipped and
/// failed image as `report` says, every other entry (left out by a cancel) NotStarted with the
/// source `sourceAt` gives for its index.
[[nodiscard]] std::vector<OVExportOutcome>
OVExportOutcomes(const OVSaveReport& report, std::size_t count,
                 const std::function<std::filesystem::path(std::size_t index)>& sourceAt);

/// What a dry run reports: each present source planned under its name in `folder` (`names` by
/// position, as OVOutputNames() gives them), or, with OVConflictPolicy::Skip, skipped when a
/// file has that name already.
[[nodiscard]] std::vector<OVExportOutcome>
OVPlannedOutcomes(const std::vector<std::optional<std::filesystem::path>>& sources,
                  const std::vector<std::filesystem::path>& names,
                  const std::filesystem::path& folder, OVConflictPolicy conflict);

/// The outcome an image's event reports, under `source` (the path a list names the image by).
[[nodiscard]] OVExportOutcome OVExportOutcomeOf(const OVSaveImageEvent& event,
                                                std::filesystem::path source);

/// The manifest record of an image that is done, with the sizes of its files.
[[nodiscard]] OVManifestRecord OVManifestRecordOf(const OVExportOutcome& image, double seconds);

/// The JSON report, version 1:
/// {"version": 1, "preset": {"name", "uuid"}, "outputFolder", "dryRun", "cancelled",
///  "elapsedSeconds", "totals": {"images", "written", "failed", "notStarted", "planned",
///  "skipped"}, "images": [{"source", "output" (null when there is none),
///              "status": "written"|"failed"|"not-started"|"planned"|"skipped", "error" (null or
///              text), "warnings": [text]}]}
/// Invalid UTF-8 in a file name is replaced, not refused.
[[nodiscard]] std::string OVExportReportJson(const OVExportSummary& summary);
