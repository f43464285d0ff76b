#pragma once

// The inputs of one share of a batch that is split over the tasks of a scheduler, or resumed
// from a manifest: the whole list is numbered, named and dealt out without opening a file; only
// the files of this share are looked at.

#include "ExportRun.h"

#include "inkstead/export/OVShardInputs.h"

#include <cstddef>
#include <filesystem>
#include <vector>

class OVExportManifest;

namespace cli {

struct ShardInputs {
    OVShardInputs taken;    ///< the share's entries left to do, and those done before
    std::size_t listed = 0; ///< entries of the whole list
    std::size_t share = 0;  ///< entries of this share
};

/// Input folders whose structure the outputs mirror (empty unless the job mirrors).
[[nodiscard]] std::vector<std::filesystem::path> mirroredFolders(const ExportJob& job);

/// The whole list (inputs as given, folders walked in sorted order, repeated paths once), this
/// share's part of it and the names the whole list gives them. Entries that `manifest` (may be
/// null) records as done are set apart. Takes the job's inputs over (they are cleared).
[[nodiscard]] ShardInputs collectShard(ExportJob& job, const OVExportManifest* manifest);

} // namespace cli
