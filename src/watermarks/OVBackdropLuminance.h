#pragma once

// How light a picture is under a watermark, for drawing the watermark in a colour that stands
// out from it.

#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/gfx/Image.h"

#include <optional>

/// The mean relative luminance (0 black to 1 white, Rec. 709 weights on the stored sRGB levels)
/// of the pixels of `picture` under `area`, given as fractions of the picture (y up). Pixels
/// are composited over white first. Nothing for a picture not in the native layout or an area
/// that covers no pixel.
[[nodiscard]] std::optional<double> OVMeanLuminance(const ov::Image& picture, ov::Rect area);

/// White or black, whichever stands out more from a backdrop of this luminance, with `alpha`.
[[nodiscard]] ov::Color OVContrastingColor(double luminance, double alpha);
