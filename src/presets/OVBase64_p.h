#pragma once

// Base64 (RFC 4648, standard alphabet, padded) for the pictures in a preset's JSON form.
// Not installed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov::detail {

[[nodiscard]] std::string encodeBase64(const std::vector<std::uint8_t>& bytes);
/// No value when `text` is not padded base64 (whitespace between groups is allowed).
[[nodiscard]] std::optional<std::vector<std::uint8_t>> decodeBase64(std::string_view text);

} // namespace ov::detail
