#pragma once

// The inputs of one share of a batch that is split over the tasks of a scheduler, or resumed
// from a manifest: the whole list is numbered, named and dealt out without opening a file; only
// the files of this share are looked at.

#include "ExportReport.h"
#include "ExportRun.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <vector>

class OVExportManifest;
class OVModel;

namespace cli {

struct ShardInputs {
    std::shared_ptr<OVModel> model = std::make_shared<OVModel>();
    std::vector<std::filesystem::path> names;   ///< output name of each model entry
    std::vector<std::filesystem::path> sources; ///< each model entry as the list names it
    std::vector<ImageOutcome> rejected;         ///< entries of this share that cannot be exported
    std::size_t listed = 0;                     ///< entries of the whole list
    std::size_t share = 0;                      ///< entries of this share
    std::size_t finishedBefore = 0;             ///< of the share, done by an earlier run
};

/// Input folders whose structure the outputs mirror (empty unless the job mirrors).
[[nodiscard]] std::vector<std::filesystem::path> mirroredFolders(const ExportJob& job);

/// The whole list (inputs as given, folders walked in sorted order, repeated paths once), this
/// share's part of it and the names the whole list gives them. Entries that `manifest` (may be
/// null) records as done are left out (a dry run lists them as skipped). Takes the job's inputs
/// over (they are cleared).
[[nodiscard]] ShardInputs collectShard(ExportJob& job, const OVExportManifest* manifest);

} // namespace cli
