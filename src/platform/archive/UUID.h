#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ov {

/// A 128-bit universally unique identifier, the identity of every watermark and preset. A value
/// type: copies compare equal, and equality is equality of the 16 bytes. The default value is the
/// nil identifier (all zero bytes).
class UUID {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    constexpr UUID() = default;
    constexpr explicit UUID(const Bytes& bytes) : bytes_(bytes) {}

    /// A new random (version 4) identifier. Thread-safe.
    [[nodiscard]] static UUID random();
    /// Parses the canonical text form "0AD863BA-7584-40CF-8896-BD87B3280C34" (either case);
    /// anything else gives no value.
    [[nodiscard]] static std::optional<UUID> fromString(std::string_view text);

    /// The canonical upper-case text form, 36 characters.
    [[nodiscard]] std::string uuidString() const;
    /// The 16 bytes in the order of the text form.
    [[nodiscard]] const Bytes& bytes() const { return bytes_; }
    [[nodiscard]] bool isNil() const { return bytes_ == Bytes{}; }

    friend bool operator==(const UUID&, const UUID&) = default;
    friend auto operator<=>(const UUID&, const UUID&) = default;

private:
    Bytes bytes_{};
};

} // namespace ov

template <> struct std::hash<ov::UUID> {
    std::size_t operator()(const ov::UUID& uuid) const noexcept;
};
