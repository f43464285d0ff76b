#pragma once

#include "inkstead/watermarks/OVWatermarkKind.h"

#include <string>
#include <vector>

/// What the inspector offers for `watermark`: the editable properties its kind describes
/// (those an inspector can show), then the shared settings the kind draws with: opacity,
/// shadow, rotation and its placement relative to the image. Empty for null.
[[nodiscard]] std::vector<OVWatermarkProperty> markPropertiesOf(const OVWatermark* watermark);

/// Words for the kind of `watermark` ("Text", "Arrow", ...).
[[nodiscard]] std::string markKindTitle(const OVWatermark& watermark);
