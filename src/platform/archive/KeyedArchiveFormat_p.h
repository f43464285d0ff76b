#pragma once

// Text forms shared by the keyed archiver and unarchiver: point/size/rect strings and colour
// component lists. Private to the archive layer.

#include "inkstead/platform/gfx/Geometry.h"

#include <cstdint>

#include <string>
#include <string_view>
#include <vector>

namespace ov::keyed {

inline constexpr std::string_view kArchiverName = "NSKeyedArchiver";
inline constexpr std::int64_t kArchiveVersion = 100000;
inline constexpr std::string_view kNull = "$null";

/// A coordinate in shortest-round-trip style with 17 significant digits, locale-independent.
std::string formatCoordinate(double value);
std::string formatPoint(Point point);
std::string formatSize(Size size);
std::string formatRect(const Rect& rect);

/// Reads every decimal number of a text, skipping braces, commas, spaces and anything else that
/// cannot start a number. Stops at a NUL byte.
std::vector<double> parseNumbers(std::string_view text);

/// Colour components joined by single spaces with 10 significant digits, followed by a NUL.
std::string formatComponents(const std::vector<double>& components);

} // namespace ov::keyed
