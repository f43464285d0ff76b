#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace ov {

/// The whole content of a file; no value when it cannot be opened or read.
[[nodiscard]] std::optional<std::vector<std::uint8_t>>
readFileContents(const std::filesystem::path& path);

} // namespace ov
