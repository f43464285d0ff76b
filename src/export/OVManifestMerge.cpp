#include "inkstead/export/OVManifestMerge.h"

#include "inkstead/platform/files/AtomicFile.h"

#include <unordered_map>

namespace {

int rank(OVManifestStatus status) {
    switch (status) {
    case OVManifestStatus::Done:
        return 2;
    case OVManifestStatus::Skipped:
        return 1;
    case OVManifestStatus::Failed:
        return 0;
    }
    return 0;
}

void count(OVManifestSummary& summary) {
    std::unordered_map<std::string_view, std::size_t> claims;
    for (const auto& record : summary.records) {
        switch (record.status) {
        case OVManifestStatus::Done:
            ++summary.written;
            summary.inputBytes += record.inputBytes;
            summary.outputBytes += record.outputBytes;
            break;
        case OVManifestStatus::Skipped:
            ++summary.skipped;
            break;
        case OVManifestStatus::Failed:
            ++summary.failed;
            break;
        }
        if (!record.output.empty() && ++claims[record.output] == 2)
            summary.sharedOutputs.push_back(record.output);
    }
}

} // namespace

ov::Result<OVManifestSummary> OVMergeManifests(const std::vector<std::filesystem::path>& files) {
    OVManifestSummary summary;
    std::unordered_map<std::string, std::size_t> byInput;
    for (const auto& file : files) {
        auto contents = OVReadManifest(file);
        if (!contents)
            return contents.error();
        summary.damagedLines += contents->damagedLines;
        for (auto& record : contents->records) {
            summary.seconds += record.seconds;
            const auto [it, inserted] = byInput.try_emplace(record.input, summary.records.size());
            if (inserted) {
                summary.records.push_back(std::move(record));
                continue;
            }
            OVManifestRecord& kept = summary.records[it->second];
            if (rank(record.status) >= rank(kept.status))
                kept = std::move(record);
        }
    }
    count(summary);
    return summary;
}

ov::Result<void> OVWriteManifest(const std::filesystem::path& file,
                                 const OVManifestSummary& summary) {
    std::string text(kOVManifestHeader);
    for (const auto& record : summary.records)
        text += OVManifestLine(record);
    if (const auto written =
            ov::writeFileAtomically(ov::linkTarget(file), text, ov::FileWriteMode::ReplaceExisting);
        !written)
        return ov::Error{written.error().code,
                         "cannot write " + file.string() + ": " + written.error().code.message()};
    return {};
}
