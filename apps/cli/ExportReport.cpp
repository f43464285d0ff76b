#include "ExportReport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace cli {
namespace {

const char* statusName(ImageStatus status) {
    switch (status) {
    case ImageStatus::Written:
        return "written";
    case ImageStatus::Failed:
        return "failed";
    case ImageStatus::NotStarted:
        return "not-started";
    case ImageStatus::Planned:
        return "planned";
    case ImageStatus::Skipped:
        return "skipped";
    }
    return "failed";
}

std::string plural(std::size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

} // namespace

std::size_t ExportSummary::count(ImageStatus status) const {
    return static_cast<std::size_t>(
        std::count_if(images.begin(), images.end(),
                      [status](const auto& image) { return image.status == status; }));
}

std::string exportReportJson(const ExportSummary& summary) {
    nlohmann::json images = nlohmann::json::array();
    for (const auto& image : summary.images) {
        images.push_back({
            {"source", image.source.string()},
            {"output",
             image.output.empty() ? nlohmann::json() : nlohmann::json(image.output.string())},
            {"status", statusName(image.status)},
            {"error", image.error.empty() ? nlohmann::json() : nlohmann::json(image.error)},
            {"warnings", image.warnings},
        });
    }
    const nlohmann::json report = {
        {"version", 1},
        {"preset", {{"name", summary.presetName}, {"uuid", summary.presetUUID}}},
        {"outputFolder", summary.outputFolder.string()},
        {"dryRun", summary.dryRun},
        {"cancelled", summary.cancelled},
        {"elapsedSeconds", summary.elapsedSeconds},
        {"totals",
         {{"images", summary.images.size()},
          {"written", summary.count(ImageStatus::Written)},
          {"failed", summary.count(ImageStatus::Failed)},
          {"notStarted", summary.count(ImageStatus::NotStarted)},
          {"planned", summary.count(ImageStatus::Planned)},
          {"skipped", summary.count(ImageStatus::Skipped)}}},
        {"images", std::move(images)},
    };
    // Invalid UTF-8 in a file name is replaced rather than ending the report with an exception.
    return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string exportSummaryLine(const ExportSummary& summary) {
    const std::size_t written = summary.count(ImageStatus::Written);
    const std::size_t failed = summary.count(ImageStatus::Failed);
    const std::size_t notStarted = summary.count(ImageStatus::NotStarted);
    std::string line;
    if (summary.dryRun) {
        line = "Would export " + plural(summary.count(ImageStatus::Planned), "image") + " to " +
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
    if (const std::size_t skipped = summary.count(ImageStatus::Skipped); skipped > 0)
        line += "; " + std::to_string(skipped) + (summary.dryRun ? " to skip" : " skipped");
    return line + ".";
}

} // namespace cli
