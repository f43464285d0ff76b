#pragma once

#include "inkstead/export/OVExportOutcome.h"
#include "inkstead/model/OVModel.h"
#include "inkstead/platform/archive/UUID.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

/// Why a file that carries the mark of an earlier export is skipped.
inline constexpr std::string_view kOVEarlierOutputReason = "an output of an earlier export";

/// The inputs of an export gathered into an image list, and those that cannot be exported.
struct OVExportInputs {
    std::shared_ptr<OVModel> model = std::make_shared<OVModel>();
    /// In input order: inputs that do not exist or are no image the library reads (Failed),
    /// folders that could not be read (Failed), then files that carry the mark of an earlier
    /// export (Skipped, `kOVEarlierOutputReason`; under the input's path unless a folder walk
    /// found them).
    std::vector<OVExportOutcome> rejected;
    /// For each image of `model`, the index of the input that named it.
    std::vector<std::size_t> inputIndexes;
    /// Input folders in which no image was found.
    std::vector<std::filesystem::path> emptyFolders;
};

/// Adds the files and folders (walked) `inputs` names to a new image list with the preset
/// `presetID`. Files that carry the mark of an earlier export are outputs wherever they are:
/// exporting them again would stamp the marks twice, so they are left out unless
/// `includeOutputs` is true. An image named twice (or by itself and by its folder) is taken
/// once, without a word.
[[nodiscard]] OVExportInputs OVCollectExportInputs(const std::vector<std::filesystem::path>& inputs,
                                                   const ov::UUID& presetID, bool includeOutputs);
