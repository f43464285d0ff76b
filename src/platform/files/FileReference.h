#pragma once

#include "inkstead/platform/log/Result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ov {

/// A durable reference to a file: a small byte string holding the file's absolute path (symbolic
/// links resolved), device and inode. Two references to the same file are byte-equal, so they
/// can be compared directly. Resolving finds the file at its path, or, when it was moved or
/// renamed within the folder tree it lived in, again by its inode.
using FileReferenceData = std::vector<std::uint8_t>;

/// Where a reference led.
struct FileReferenceResolution {
    /// The file's current path.
    std::filesystem::path path;
    /// True when the file was found somewhere else (or replaced in place): make a new reference
    /// from `path` and keep that instead.
    bool isStale = false;
};

/// Makes the reference of an existing file or folder; the system's error when it cannot be
/// found or examined.
[[nodiscard]] Result<FileReferenceData> createFileReference(const std::filesystem::path& path);

/// Finds the file again; an error with code invalid_argument for data that is no reference,
/// no_such_file_or_directory when the file cannot be found. Touches the disk at every call (nothing
/// is cached). The search for a moved file looks below the nearest existing folder of the old path
/// and below the folder above it (a move to a sibling folder), on the same device, visiting a
/// bounded number of entries; the file system root is never searched.
[[nodiscard]] Result<FileReferenceResolution>
resolveFileReference(const FileReferenceData& reference);

/// The path the reference recorded: where the file was when it was referenced, for naming a
/// file that can no longer be found. Reads nothing from disk; nothing for damaged data.
[[nodiscard]] std::optional<std::filesystem::path>
recordedPathOfFileReference(const FileReferenceData& reference);

} // namespace ov
