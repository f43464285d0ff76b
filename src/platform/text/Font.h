#pragma once

#include <string>
#include <string_view>
#include <vector>

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

    /// The installed face the name resolves to, as family and style ("DejaVu Sans Bold").
    [[nodiscard]] std::string resolvedFaceName() const;
    /// False when no installed face answers to the name and the system's configuration chose
    /// a stand-in (its alias or default face).
    [[nodiscard]] bool isExactMatch() const;

    friend bool operator==(const Font&, const Font&) = default;

private:
    std::string name_;
    double pointSize_ = 12;
};

/// An installed face: its family and its style as the font names it ("Bold Oblique").
struct FontFaceName {
    std::string family;
    std::string style;
    friend auto operator<=>(const FontFaceName&, const FontFaceName&) = default;
};

/// The installed faces whose "family style" contains `pattern` (any case; empty: all), sorted.
[[nodiscard]] std::vector<FontFaceName> installedFontFaces(std::string_view pattern = {});

} // namespace ov
