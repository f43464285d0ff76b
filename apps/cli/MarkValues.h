#pragma once

// Parsing of the values the watermark options take (percentages, colours, anchors, points and
// rectangles given in percent of the image), with errors that name the option.

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/watermarks/OVPlacement.h"

#include <string>
#include <string_view>

namespace cli {

/// "3%" or a plain fraction "0.03" → 0.03. Throws a usage error naming `option` otherwise.
[[nodiscard]] double parseFraction(std::string_view text, std::string_view option);
/// A plain number ("12", "-45.5"). Throws a usage error naming `option` otherwise.
[[nodiscard]] double parseNumber(std::string_view text, std::string_view option);
[[nodiscard]] OVPlacementAnchor parseAnchor(std::string_view text, std::string_view option);
/// "X%,Y%": a point measured from the image's top-left corner, as fractions.
[[nodiscard]] ov::Point parsePointFraction(std::string_view text, std::string_view option);
/// "X%,Y%,W%,H%": a rectangle whose top-left corner is measured from the image's top-left
/// corner, as fractions; width and height must be positive and it must lie on the image.
[[nodiscard]] ov::Rect parseRectFraction(std::string_view text, std::string_view option);

/// A number with up to 10 significant digits: 2 → "2", 0.5 → "0.5".
[[nodiscard]] std::string formatNumber(double value);
/// A fraction as a percentage with up to two decimals: 0.2 → "20%".
[[nodiscard]] std::string formatPercent(double fraction);

} // namespace cli
