#include "inkstead/export/OVExportOutcome.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

const char* statusName(OVExportStatus status) {
    switch (status) {
    case OVExportStatus::Written:
        return "written";
    case OVExportStatus::Failed:
        return "failed";
    case OVExportStatus::NotStarted:
        return "not-started";
    case OVExportStatus::Planned:
        return "planned";
    case OVExportStatus::Skipped:
        return "skipped";
    }
    return "failed";
}

std::uint64_t sizeOf(const fs::path& file) {
    std::error_code error;
    const auto size = file.empty() ? 0 : fs::file_size(file, error);
    return error ? 0 : size;
}

} // namespace

std::size_t OVExportSummary::count(OVExportStatus status) const {
    return static_cast<std::size_t>(
        std::count_if(images.begin(), images.end(),
                      [status](const auto& image) { return image.status == status; }));
}

std::vector<OVExportOutcome>
OVExportOutcomes(const OVSaveReport& report, std::size_t count,
                 const std::function<fs::path(std::size_t index)>& sourceAt) {
    std::vector<OVExportOutcome> byIndex(count);
    for (std::size_t i = 0; i < count; ++i)
        byIndex[i] = {sourceAt(i), {}, OVExportStatus::NotStarted, {}, {}};
    for (const auto& output : report.outputs)
        if (output.index < count)
            byIndex[output.index] = {
                output.source, output.output, OVExportStatus::Written, {}, output.warnings};
    for (const auto& skipped : report.skipped)
        if (skipped.index < count)
            byIndex[skipped.index] = {
                skipped.source, skipped.output, OVExportStatus::Skipped, "the output exists", {}};
    for (const auto& failure : report.failures)
        if (failure.index < count)
            byIndex[failure.index] = {
                failure.source, {}, OVExportStatus::Failed, failure.reason, {}};
    return byIndex;
}

std::vector<OVExportOutcome> OVPlannedOutcomes(const std::vector<std::optional<fs::path>>& sources,
                                               const std::vector<fs::path>& names,
                                               const fs::path& folder, OVConflictPolicy conflict) {
    std::vector<OVExportOutcome> plan;
    for (std::size_t i = 0; i < sources.size() && i < names.size(); ++i) {
        if (!sources[i])
            continue;
        const fs::path output = folder / names[i];
        std::error_code error;
        if (conflict == OVConflictPolicy::Skip && fs::exists(fs::symlink_status(output, error)))
            plan.push_back({*sources[i], output, OVExportStatus::Skipped, "the output exists", {}});
        else
            plan.push_back({*sources[i], output, OVExportStatus::Planned, {}, {}});
    }
    return plan;
}

OVExportOutcome OVExportOutcomeOf(const OVSaveImageEvent& event, std::filesystem::path source) {
    OVExportStatus status = OVExportStatus::Failed;
    if (event.kind == OVSaveImageEvent::Kind::Written)
        status = OVExportStatus::Written;
    else if (event.kind == OVSaveImageEvent::Kind::Skipped)
        status = OVExportStatus::Skipped;
    return {std::move(source), event.output, status, event.reason, {}};
}

OVManifestRecord OVManifestRecordOf(const OVExportOutcome& image, double seconds) {
    OVManifestRecord record;
    record.status = image.status == OVExportStatus::Written   ? OVManifestStatus::Done
                    : image.status == OVExportStatus::Skipped ? OVManifestStatus::Skipped
                                                              : OVManifestStatus::Failed;
    record.input = image.source.string();
    std::error_code error;
    record.output =
        image.output.empty() ? std::string() : fs::absolute(image.output, error).string();
    record.reason = image.error;
    record.seconds = seconds;
    record.inputBytes = sizeOf(image.source);
    record.outputBytes = sizeOf(image.output);
    return record;
}

std::string OVExportReportJson(const OVExportSummary& summary) {
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
          {"written", summary.count(OVExportStatus::Written)},
          {"failed", summary.count(OVExportStatus::Failed)},
          {"notStarted", summary.count(OVExportStatus::NotStarted)},
          {"planned", summary.count(OVExportStatus::Planned)},
          {"skipped", summary.count(OVExportStatus::Skipped)}}},
        {"images", std::move(images)},
    };
    return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}
