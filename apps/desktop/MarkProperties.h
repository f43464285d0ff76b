#pragma once

#include "inkstead/watermarks/OVWatermarkKind.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// What the inspector offers for `watermark`: the editable properties its kind describes
/// (those an inspector can show), then the shared settings the kind draws with: opacity,
/// shadow, rotation and its placement relative to the image. Empty for null.
[[nodiscard]] std::vector<OVWatermarkProperty> markPropertiesOf(const OVWatermark* watermark);

/// Words for the kind of `watermark` ("Text", "Arrow", ...).
[[nodiscard]] std::string markKindTitle(const OVWatermark& watermark);

using PropertyGetter = std::function<OVPropertyValue(const OVWatermark&)>;
using PropertySetter = std::function<void(OVWatermark&, const OVPropertyValue&)>;

/// A property the application adds to a kind's own (a shared setting); its option name is its
/// key.
[[nodiscard]] OVWatermarkProperty appProperty(std::string_view key, std::string_view label,
                                              OVPropertyType type, double minimum, double maximum,
                                              PropertyGetter get, PropertySetter set,
                                              std::vector<std::string_view> choices = {});
