#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/text/Font.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ov {

/// Text with a font and a foreground colour that apply to the whole string.
///
/// The characters are UTF-8; invalid bytes and NUL characters are replaced by U+FFFD when set,
/// so lengths and indexes (in Unicode characters) agree with what the layout sees. Attributes
/// belong to the string, not to character ranges, and survive replacing the characters.
/// A value type; not thread-safe while being modified.
class AttributedString {
public:
    AttributedString() = default;
    explicit AttributedString(std::string_view text);

    /// The characters, UTF-8.
    [[nodiscard]] const std::string& string() const { return text_; }
    /// Number of Unicode characters.
    [[nodiscard]] std::size_t length() const { return length_; }
    /// Replaces every character, keeping the attributes.
    void replaceAllCharacters(std::string_view text);

    /// The font of the whole string; none means the default face at 12 points.
    [[nodiscard]] const std::optional<Font>& font() const { return font_; }
    void setFont(std::optional<Font> font) { font_ = std::move(font); }
    /// The glyph colour of the whole string; none means black.
    [[nodiscard]] const std::optional<Color>& foregroundColor() const { return color_; }
    void setForegroundColor(std::optional<Color> color) { color_ = color; }

    friend bool operator==(const AttributedString&, const AttributedString&) = default;

private:
    std::string text_;
    std::size_t length_ = 0;
    std::optional<Font> font_;
    std::optional<Color> color_;
};

} // namespace ov
