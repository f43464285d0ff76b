#pragma once

#include "inkstead/platform/log/Result.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace ov {

/// The whole content of a regular file (symbolic links followed), or the system's error when it
/// cannot be opened or read ("cannot read <path>: <reason>"). Anything but a regular file (a
/// FIFO, a device, a folder) is refused with `std::errc::invalid_argument` without waiting on
/// it.
[[nodiscard]] Result<std::vector<std::uint8_t>> readFileContents(const std::filesystem::path& path);

} // namespace ov
