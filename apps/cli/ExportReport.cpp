#include "ExportReport.h"

#include <cstdio>

namespace cli {
namespace {

std::string plural(std::size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

} // namespace

std::string exportSummaryLine(const OVExportSummary& summary) {
    const std::size_t written = summary.count(OVExportStatus::Written);
    const std::size_t failed = summary.count(OVExportStatus::Failed);
    const std::size_t notStarted = summary.count(OVExportStatus::NotStarted);
    std::string line;
    if (summary.dryRun) {
        line = "Would export " + plural(summary.count(OVExportStatus::Planned), "image") + " to " +
               summary.outputFolder.string() + " (dry run: nothing written)";
    } else {
        char timing[96];
        const double rate =
            summary.elapsedSeconds > 0 ? static_cast<double>(written) / summary.elapsedSeconds : 0;
        std::snprintf(timing, sizeof timing, " in %.1f s (%.1f images/s)", summary.elapsedSeconds,
                      rate);
        line = (summary.cancelled ? "Cancelled: exported " : "Exported ") +
               plural(written, "image") + " to " + summary.outputFolder.string() + timing;
    }
    if (failed > 0)
        line += "; " + std::to_string(failed) + " failed";
    if (notStarted > 0)
        line += "; " + std::to_string(notStarted) + " not started";
    if (const std::size_t skipped = summary.count(OVExportStatus::Skipped); skipped > 0)
        line += "; " + std::to_string(skipped) + (summary.dryRun ? " to skip" : " skipped");
    return line + ".";
}

} // namespace cli
