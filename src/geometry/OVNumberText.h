#pragma once

#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/log/Result.h"

#include <optional>
#include <string>
#include <string_view>

//! \name Numbers, shares and areas as people write them
//! The readers ignore blanks around the text and accept a leading "+"; they refuse anything
//! that is not a finite number.

/// `text` without the blanks (spaces, tabs, line ends) around it.
[[nodiscard]] std::string_view OVTrimmedString(std::string_view text);
/// A plain number ("12", "-45.5", " +3 ").
[[nodiscard]] std::optional<double> OVNumberFromString(std::string_view text);
/// A share written as a percentage ("3%", "12.5 %") or as a fraction ("0.03"); any value.
[[nodiscard]] std::optional<double> OVFractionFromString(std::string_view text);
/// "X%,Y%": a point measured from the image's top-left corner, as fractions of its sides.
/// Fails with invalid_argument for another shape of text and with result_out_of_range for a
/// point off the image (a value outside 0% to 100%).
[[nodiscard]] ov::Result<ov::Point> OVPointFractionFromString(std::string_view text);
/// "X%,Y%,W%,H%": a rectangle whose top-left corner is measured from the image's top-left corner,
/// as fractions of its sides. Fails with invalid_argument for another shape of text and with
/// result_out_of_range unless its size is positive and it lies on the image.
[[nodiscard]] ov::Result<ov::Rect> OVRectFractionFromString(std::string_view text);

/// A number with up to ten significant digits: 2 → "2", 0.5 → "0.5".
[[nodiscard]] std::string OVNumberString(double value);
/// A fraction as a percentage with up to two decimals: 0.2 → "20%", 0.125 → "12.5%".
[[nodiscard]] std::string OVPercentString(double fraction);
