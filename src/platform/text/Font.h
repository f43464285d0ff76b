#pragma once

#include <string>
#include <string_view>

namespace ov {

/// The face name every text falls back to when no name is given.
inline constexpr std::string_view kDefaultFontName = "Helvetica";

/// A font chosen by face name ("Helvetica", "Helvetica-Bold", "DejaVu Sans") at a point size.
///
/// The name is kept exactly as given, because that is what presets store and what should come
/// back on a machine with other fonts. It is resolved to an installed face only when text is
/// measured or drawn: a PostScript or full face name of an installed font selects that font;
/// otherwise "Family-Style" names are split into a family and weight/slant words and matched
/// through the system's font configuration, which maps well-known names to metric-compatible
/// faces ("Helvetica" to a Helvetica-metric sans) and unknown names to its default face. A name
/// therefore always resolves to some face, never to nothing. Cheap to copy; thread-safe.
class Font {
public:
    /// kDefaultFontName at 12 points.
    Font();
    Font(std::string name, double pointSize);
    [[nodiscard]] static Font fontWithName(std::string name, double pointSize) {
        return Font(std::move(name), pointSize);
    }

    /// The face name as given; an empty name stands for kDefaultFontName.
    [[nodiscard]] const std::string& fontName() const { return name_; }
    [[nodiscard]] double pointSize() const { return pointSize_; }
    /// The family of the installed face the name resolves to (for "Helvetica" something like
    /// "Nimbus Sans"). Never empty.
    [[nodiscard]] std::string familyName() const;

    friend bool operator==(const Font&, const Font&) = default;

private:
    std::string name_;
    double pointSize_ = 12;
};

} // namespace ov
