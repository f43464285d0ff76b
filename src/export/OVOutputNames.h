#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class OVFilenamePattern;

/// What an export does when an output's name is taken by a file that exists before the batch.
enum class OVConflictPolicy {
    Unique,    ///< the first free "<base>_Watermarked_<n>.<extension>" alternative
    Skip,      ///< the image is not written; the existing file stays as it is
    Overwrite, ///< the existing file is replaced once the new one is complete (never the source)
};

/// How the outputs of a batch are named.
struct OVOutputNaming {
    /// The output folder.
    std::filesystem::path directory;
    /// Null: each output keeps its source's name.
    std::shared_ptr<OVFilenamePattern> pattern = {};
    /// Input folders whose structure the outputs mirror: an output goes into the subfolder of
    /// `directory` that its source has below the first of these folders that holds it. Empty:
    /// every output goes directly into `directory`.
    std::vector<std::filesystem::path> mirroredFolders = {};
    /// With Skip and Overwrite a name taken by an existing file is kept as it is; two sources of
    /// the same batch still never get the same name.
    OVConflictPolicy conflict = OVConflictPolicy::Unique;
    /// False: names depend on the list alone and files already in the folder are not looked at
    /// (runs that are resumed or split into shards must name every source the same each time).
    bool consultFolder = true;
    /// The type identifier each source is written in, by position ("public.png"): a name whose
    /// extension says another type gets the type's own extension. Empty, or an empty entry:
    /// the name's extension stays.
    std::vector<std::string> outputTypes = {};
};

/// The output path of each source, relative to the output folder, decided in input order before
/// anything is written: the pattern's name (running number = position + 1) or the source's own
/// name, in the source's mirrored subfolder. A name that a file in the folder already has, or an
/// earlier source of the same batch was given, becomes its first free
/// "<base>_Watermarked_<n>.<extension>" alternative, so sources of the same name from different
/// folders get names by their order, the same in a dry run and in the real run. An empty path
/// for a source that is missing.
[[nodiscard]] std::vector<std::filesystem::path>
OVOutputNames(const std::vector<std::optional<std::filesystem::path>>& sources,
              const OVOutputNaming& naming);
/// The same for a list in which every source is present, without copying the list.
[[nodiscard]] std::vector<std::filesystem::path>
OVOutputNames(std::span<const std::filesystem::path> sources, const OVOutputNaming& naming);
