#include "MarkValues.h"

#include "CliSupport.h"

#include "inkstead/geometry/OVNumberText.h"

#include <algorithm>
#include <cctype>

namespace cli {
namespace {

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

CliError badValue(std::string_view option, std::string_view text, std::string_view expected) {
    return usageError(std::string(option) + ": invalid value \"" + std::string(text) + "\"",
                      "expected " + std::string(expected));
}

} // namespace

double parseNumber(std::string_view text, std::string_view option) {
    if (const auto value = OVNumberFromString(text))
        return *value;
    throw badValue(option, text, "a number");
}

double parseUnitInterval(std::string_view text, std::string_view option) {
    const auto value = OVFractionFromString(text);
    if (!value)
        throw usageError(std::string(option) + ": \"" + std::string(OVTrimmedString(text)) +
                             "\" is not a number",
                         "write a share as 0.5 or 50%");
    if (*value < 0 || *value > 1)
        throw usageError(std::string(option) + ": " + std::string(OVTrimmedString(text)) +
                             " is outside 0 to 1",
                         "write a share from 0 to 1 (0% to 100%), e.g. 0.5 or 50%");
    return *value;
}

void requireUnit(std::string_view text, std::string_view option) {
    if (const auto value = OVNumberFromString(text))
        throw usageError(std::string(option) + ": \"" + std::string(OVTrimmedString(text)) +
                             "\" needs a unit",
                         "write pixels or a percentage, e.g. " + OVNumberString(*value) + "px or " +
                             OVNumberString(*value) + "%");
}

OVPlacementAnchor parseAnchor(std::string_view text, std::string_view option) {
    if (const auto anchor = OVPlacementAnchorNamed(lowered(OVTrimmedString(text))))
        return *anchor;
    throw badValue(option, text,
                   "top-left, top, top-right, left, center, right, bottom-left, bottom or "
                   "bottom-right");
}

ov::Point parsePointFraction(std::string_view text, std::string_view option) {
    const auto point = OVPointFractionFromString(text);
    if (point)
        return point.value();
    if (point.error().code == std::errc::invalid_argument)
        throw badValue(option, text, "X%,Y% measured from the top-left corner, e.g. 60%,40%");
    throw badValue(option, text, "a point on the image (each value from 0% to 100%)");
}

ov::Rect parseRectFraction(std::string_view text, std::string_view option) {
    const auto rect = OVRectFractionFromString(text);
    if (rect)
        return rect.value();
    if (rect.error().code == std::errc::invalid_argument)
        throw badValue(option, text,
                       "X%,Y%,W%,H% (top-left corner, width, height), "
                       "e.g. 10%,10%,30%,20%");
    throw badValue(option, text, "a rectangle with a positive size that lies on the image");
}

} // namespace cli
