#pragma once

#include "platform/gfx/Color.h"
#include "watermarks/OVWatermark.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

/// The value of one editable property of a watermark: Bool → bool; Number and Choice → double
/// (a choice holds the index of its name); Text, FontName and Picture → std::string (a picture
/// is set from a file path and reads back empty); Color → optional colour (none allowed).
using MarkValue = std::variant<bool, double, std::string, std::optional<ov::Color>>;

enum class MarkValueType { Bool, Number, Text, FontName, Color, Choice, Picture };

/// One property the inspector offers for a watermark: what to call it, its type and range, and
/// how to read and write it. The inspector builds its rows from these and knows no kind.
struct MarkProperty {
    std::string_view key;
    std::string_view label;
    MarkValueType type = MarkValueType::Number;
    double minimum = 0;
    double maximum = 0;
    std::vector<std::string_view> choices;
    std::function<MarkValue(const OVWatermark&)> get;
    std::function<void(OVWatermark&, const MarkValue&)> set;
};

/// The properties of the kind of `watermark` followed by those every watermark has (opacity,
/// shadow, rotation, placement relative to the image); empty for null.
[[nodiscard]] std::vector<MarkProperty> markPropertiesOf(const OVWatermark* watermark);

/// Words for the kind of `watermark` ("Text", "Arrow", ...).
[[nodiscard]] std::string markKindTitle(const OVWatermark& watermark);
