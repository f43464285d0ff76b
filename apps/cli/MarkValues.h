#pragma once

// Parsing of the values the watermark options take (percentages, colours, anchors, points and
// rectangles given in percent of the image), with errors that name the option.

#include "inkstead/geometry/OVNumberText.h"
#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/watermarks/OVPlacement.h"

#include <string>
#include <string_view>

namespace cli {

/// A share from 0 to 1, written either way: 0.5 or 50%. Throws a usage error naming `option`
/// for anything else, or a value outside 0..1 (0% to 100%).
[[nodiscard]] double parseUnitInterval(std::string_view text, std::string_view option);
/// Throws a usage error naming `option` when `text` is a bare number: lengths on the image need
/// their unit ("24px" or "3%"), since 24 pixels and 24 percent are far apart.
void requireUnit(std::string_view text, std::string_view option);
/// A plain number ("12", "-45.5"). Throws a usage error naming `option` otherwise.
[[nodiscard]] double parseNumber(std::string_view text, std::string_view option);
[[nodiscard]] OVPlacementAnchor parseAnchor(std::string_view text, std::string_view option);
/// "X%,Y%": a point measured from the image's top-left corner, as fractions.
[[nodiscard]] ov::Point parsePointFraction(std::string_view text, std::string_view option);
/// "X%,Y%,W%,H%": a rectangle whose top-left corner is measured from the image's top-left
/// corner, as fractions; width and height must be positive and it must lie on the image.
[[nodiscard]] ov::Rect parseRectFraction(std::string_view text, std::string_view option);

} // namespace cli
