#pragma once

#include "inkstead/export/OVExportManifest.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

/// What the manifests of the tasks of one export add up to: one final record per input.
struct OVManifestSummary {
    /// One record per input, in the order the inputs first appear. Of several records for one
    /// input the best counts (written over skipped over failed); among equals, the later.
    std::vector<OVManifestRecord> records;
    std::size_t written = 0;
    std::size_t skipped = 0;
    std::size_t failed = 0;
    std::size_t damagedLines = 0; ///< lines that could not be read
    std::uint64_t inputBytes = 0; ///< of the written images
    std::uint64_t outputBytes = 0;
    double seconds = 0; ///< time spent on all images, summed over the tasks
    /// Output names that more than one input claims (tasks that were not given the same list).
    std::vector<std::string> sharedOutputs;
};

/// Reads the manifests and combines them; the error of the first that cannot be read.
[[nodiscard]] ov::Result<OVManifestSummary>
OVMergeManifests(const std::vector<std::filesystem::path>& files);

/// Writes the records of `summary` as one manifest to `file`, replacing it atomically.
[[nodiscard]] ov::Result<void> OVWriteManifest(const std::filesystem::path& file,
                                               const OVManifestSummary& summary);
