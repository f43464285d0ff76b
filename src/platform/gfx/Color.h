#pragma once

namespace ov {

/// An RGBA colour, components in 0…1, not premultiplied. A colour that may be absent is
/// std::optional<ov::Color>.
struct Color {
    double red = 0, green = 0, blue = 0, alpha = 1;

    static constexpr Color black(double alpha = 1) { return {0, 0, 0, alpha}; }
    static constexpr Color white(double alpha = 1) { return {1, 1, 1, alpha}; }
    static constexpr Color clear() { return {0, 0, 0, 0}; }

    friend bool operator==(const Color&, const Color&) = default;
};

} // namespace ov
