#pragma once

// Values of the watermark properties described by the kinds' tables, for tests that walk every
// property.

#include "inkstead/watermarks/OVWatermarkKind.h"

#include <cmath>

namespace ov::test {

/// A value of `property` other than `current`, within the property's range and exact in 32 bits
/// (archives keep some numbers as floats). A picture gets no other value.
inline OVPropertyValue otherValue(const OVWatermarkProperty& property,
                                  const OVPropertyValue& current) {
    switch (property.type) {
    case OVPropertyType::Bool:
        return !std::get<bool>(current);
    case OVPropertyType::Number: {
        const double value =
            std::round((property.minimum + (property.maximum - property.minimum) * 0.375) * 8) / 8;
        return value != std::get<double>(current) ? value : property.maximum;
    }
    case OVPropertyType::Choice:
        return std::fmod(std::get<double>(current) + 1, double(property.choices.size()));
    case OVPropertyType::Text:
    case OVPropertyType::FontName:
        return std::get<std::string>(current) == "Helvetica-Bold" ? std::string("Courier")
                                                                  : std::string("Helvetica-Bold");
    case OVPropertyType::Color:
        return std::optional<Color>(Color{0.25, 0.5, 0.75, 1});
    case OVPropertyType::Point:
        return Point{std::get<Point>(current).x + 12.5, std::get<Point>(current).y + 7.25};
    case OVPropertyType::Size: {
        // Smaller when there is room, since a size may be capped (by a picture's pixels).
        const Size size = std::get<Size>(current);
        return size.width > 20 && size.height > 10 ? Size{size.width - 12.5, size.height - 7.25}
                                                   : Size{size.width + 12.5, size.height + 7.25};
    }
    default:
        return current;
    }
}

} // namespace ov::test
