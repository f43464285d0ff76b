#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace ov {

/// The whole content of a regular file (symbolic links followed); no value when it cannot be
/// opened or read, with the reason in `error` when given. Anything but a regular file (a FIFO,
/// a device, a folder) is refused with `std::errc::invalid_argument` without waiting on it.
[[nodiscard]] std::optional<std::vector<std::uint8_t>>
readFileContents(const std::filesystem::path& path, std::error_code* error = nullptr);

} // namespace ov
