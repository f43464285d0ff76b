#pragma once

// What a batch export did, image by image, and its two printed forms: a summary line for people
// and a JSON report for scripts.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

class OVPreset;

namespace cli {

enum class ImageStatus {
    Written,    ///< the output file exists
    Failed,     ///< nothing written; `error` says why
    NotStarted, ///< skipped because the run was cancelled
    Planned,    ///< dry run: would be written to `output`
    Skipped,    ///< left alone: its output exists (`output`), or it is itself an earlier output
};

struct ImageOutcome {
    std::filesystem::path source;
    std::filesystem::path output; ///< empty unless written or planned
    ImageStatus status = ImageStatus::Failed;
    std::string error;
    std::vector<std::string> warnings; ///< what a written output leaves out of its source
};

struct ExportSummary {
    std::string presetName;
    std::string presetUUID;
    std::filesystem::path outputFolder;
    std::vector<ImageOutcome> images;
    bool dryRun = false;
    bool cancelled = false;
    double elapsedSeconds = 0;

    [[nodiscard]] std::size_t count(ImageStatus status) const;
};

/// The JSON report, version 1:
/// {"version": 1, "preset": {"name", "uuid"}, "outputFolder", "dryRun", "cancelled",
///  "elapsedSeconds", "totals": {"images", "written", "failed", "notStarted", "planned",
///  "skipped"}, "images": [{"source", "output" (null unless written or planned),
///              "status": "written"|"failed"|"not-started"|"planned"|"skipped", "error" (null or
///              text)}]}
[[nodiscard]] std::string exportReportJson(const ExportSummary& summary);

/// "Exported 12 images to out in 3.4 s (3.5 images/s); 1 failed."
[[nodiscard]] std::string exportSummaryLine(const ExportSummary& summary);

} // namespace cli
