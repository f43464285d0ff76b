#pragma once

#include "inkstead/platform/log/Result.h"

#include <filesystem>
#include <string>
#include <string_view>

/// A path in `directory` under which no file exists yet: `filename` itself when free, else the
/// first free "<base>_Watermarked_<n>.<extension>" for n = 1, 2, ... (the dot is always written,
/// so "README" gives "README_Watermarked_1."). The check is a snapshot; writers that must never
/// replace a file place their output with `OVPlaceFileExclusively`.
std::filesystem::path URLWithValidFilename(const std::filesystem::path& directory,
                                           std::string_view filename);

/// The n-th alternative of `filename`: "<base>_Watermarked_<n>.<extension>".
std::string OVWatermarkedFilename(std::string_view filename, unsigned long n);

/// Moves the finished file `temporary` (in `directory`) to `directory/filename`, or, when that
/// name is taken, to its first free `OVWatermarkedFilename` alternative. The move never replaces
/// an existing file, even when other threads or processes place files under the same names at
/// the same time. Returns the final path, or the system's error when the move failed;
/// `temporary` is then left for the caller to remove.
[[nodiscard]] ov::Result<std::filesystem::path>
OVPlaceFileExclusively(const std::filesystem::path& temporary,
                       const std::filesystem::path& directory, std::string_view filename);

/// A new hidden path in `directory` with the extension of `filename` (encoders choose the
/// format by it), at which no file exists yet, for writing an output before it is placed.
std::filesystem::path OVTemporaryFilePath(const std::filesystem::path& directory,
                                          std::string_view filename);
