#pragma once

#include <chrono>
#include <filesystem>
#include <string_view>

namespace ov {

/// Every temporary file the library writes beside a destination starts with this: hidden, and
/// recognisable as ours when a process that was killed while writing left one behind.
inline constexpr std::string_view kTemporaryFilePrefix = ".~inkstead-";

/// How long after its last change a temporary file counts as abandoned. A live writer changes
/// its file far more often than this.
inline constexpr std::chrono::minutes kAbandonedTemporaryFileAge{15};

/// Removes the abandoned temporary files of `directory`: regular files (not links) whose name
/// starts with kTemporaryFilePrefix and that have not changed for kAbandonedTemporaryFileAge.
/// Looks at each folder once per process, however often it is called; errors are ignored.
/// Thread-safe.
void removeAbandonedTemporaryFiles(const std::filesystem::path& directory);

} // namespace ov
