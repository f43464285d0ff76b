#pragma once

#include "inkstead/export/OVExportInputs.h"
#include "inkstead/export/OVShard.h"

#include <filesystem>
#include <functional>
#include <vector>

/// The entries of a list that tasks share: files as named, folders walked (in sorted order), each
/// path made absolute and normal, a repeated path once. Every task must read the same list, so
/// nothing here depends on what other tasks write: a file is taken as it is named, and only a
/// folder is looked into. Takes the inputs over and frees each as it is read, so that a list of a
/// million paths is held once.
[[nodiscard]] std::vector<std::filesystem::path>
OVWholeList(std::vector<std::filesystem::path> inputs);

/// The entries of one shard that are left to do, gathered into an image list.
struct OVShardInputs {
    /// The images, and the entries that cannot be exported: those OVCollectExportInputs() rejects,
    /// and those that name a file an earlier entry lists under another path (Failed).
    OVExportInputs collected;
    std::vector<std::filesystem::path> names;    ///< the planned output name of each image
    std::vector<std::filesystem::path> sources;  ///< each image as the list names it
    std::vector<std::filesystem::path> finished; ///< entries an earlier run did, left out
};

/// Gathers the entries of `plan` (made from `list` by OVPlanShard()) except those `isFinished`
/// (may be empty) says an earlier run did. Every entry of the plan ends up in exactly one of
/// the image list, its rejected entries and `finished`.
[[nodiscard]] OVShardInputs
OVCollectShardInputs(const std::vector<std::filesystem::path>& list, const OVShardPlan& plan,
                     const ov::UUID& presetID, bool includeOutputs,
                     const std::function<bool(const std::filesystem::path&)>& isFinished);
