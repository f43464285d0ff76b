#pragma once

#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/text/AttributedString.h"

#include <cstddef>
#include <memory>
#include <optional>

namespace ov {

namespace detail {
struct ShapedText;
}
class GraphicsContext;

/// Typographic extent of one line: its advance width (trailing spaces included) and the largest
/// ascent, descent and leading (line gap) of the fonts that set its characters.
struct TypographicBounds {
    double width = 0;
    double ascent = 0;
    double descent = 0;
    double leading = 0;

    /// ascent + descent + leading.
    [[nodiscard]] double height() const { return ascent + descent + leading; }
};

/// Lays out one attributed string for line measurements: where lines break and how large a
/// line is, in the units of the string's font size (one unit per point).
///
/// The string is shaped once per thread for its text and face and kept in a per-thread cache;
/// measurements at other sizes scale that shaping (outlines are unhinted, so metrics are linear
/// in the size). Making a typesetter for a text and face already seen on this thread is a cache
/// look-up, which is what lets a search over many font sizes stay cheap. Sizes that are zero,
/// negative or not finite measure as zero. Indexes and counts are in Unicode characters.
/// A typesetter must be used on the thread that made it.
class Typesetter {
public:
    explicit Typesetter(const AttributedString& string);
    ~Typesetter();
    Typesetter(const Typesetter&);
    Typesetter& operator=(const Typesetter&);

    /// Number of characters of the string.
    [[nodiscard]] std::size_t length() const;
    /// How many characters from `start` fit on one line of `width`: the line ends at the last
    /// break opportunity (after spaces, between words, before CJK ideographs…) that keeps its
    /// text, trailing spaces excepted, within the width, at a forced break (a line separator,
    /// which the line includes), or at the end. When no opportunity fits, the line is broken
    /// between characters, and it always holds at least one whole character cluster.
    /// Returns 0 only when `start` is at or past the end.
    [[nodiscard]] std::size_t suggestLineBreak(std::size_t start, double width) const;
    /// The narrowest width within which suggestLineBreak(0, width) keeps the whole string on one
    /// line: the widest run from the start that ends in a visible character, computed with the
    /// same arithmetic. 0 for an empty string or a single character cluster; infinity when a
    /// forced break splits the string.
    [[nodiscard]] double singleLineWidth() const;
    /// Bounds of the line made of `count` characters from `start` (clamped to the string).
    /// An empty range measures as zero.
    [[nodiscard]] TypographicBounds lineBounds(std::size_t start, std::size_t count) const;

private:
    std::shared_ptr<const detail::ShapedText> shaped_;
    double scale_ = 0;
};

/// The typographic bounds of the whole string set as a single line, line separators included.
[[nodiscard]] TypographicBounds lineTypographicBounds(const AttributedString& string);

/// Draws `string` as a frame of text in `rect` (y-up user space of `context`): lines laid out
/// from the top of the rectangle downward, wrapped at its width (left-aligned, right-aligned for
/// right-to-left paragraphs), and every line from the first one whose bottom falls below the
/// rectangle left out. Glyphs are upright, drawn in the string's foreground colour (black when
/// none) under the context's transform, text matrix, alpha, shadow and clip. Nothing is drawn for
/// a font size that is zero, negative or not finite, or a rectangle that is not finite.
void drawFrame(GraphicsContext& context, const AttributedString& string, const Rect& rect);

/// Strokes the outlines of the glyphs that drawFrame() fills, `lineWidth` user units wide (half
/// of it outside the glyphs), with round joins, in the string's foreground colour. Nothing for
/// a width that is not positive and finite.
void strokeFrame(GraphicsContext& context, const AttributedString& string, const Rect& rect,
                 double lineWidth);

/// The box of the ink that drawFrame() puts down for `string` in `rect` (y-up user space, no
/// transform): the glyph outlines of the lines that fit, without the space fonts reserve above,
/// below and after them. No value when nothing would be drawn or every glyph is blank.
[[nodiscard]] std::optional<Rect> frameInkBounds(const AttributedString& string, const Rect& rect);

} // namespace ov
