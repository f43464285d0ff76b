#pragma once

#include "inkstead/watermarks/OVWatermarkKind.h"

#include <vector>

/// The rows that place a watermark by anchor, margin and size (OVPlacement): whether it keeps to
/// the image, the anchor (one of nine), the margin as a share of the shorter side or in pixels,
/// and the width as a share of the image's width, longer or shorter side, or in pixels. A change
/// turns placement on; changing a unit converts the value so the watermark stays where it is.
[[nodiscard]] std::vector<OVWatermarkProperty> anchorPlacementProperties();

/// The row that keeps an area watermark (pixellate, strikethrough, shapes) at its place and
/// size relative to the image.
[[nodiscard]] OVWatermarkProperty areaPlacementProperty();
