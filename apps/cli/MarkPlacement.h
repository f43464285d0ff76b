#pragma once

// Placement of a watermark in terms of the image: a corner (or the centre), margins and a width
// as shares of the image, a rectangle or two points in percent. The watermark is laid out on a
// reference image and its relative placement is computed by the library from there, so that
// the preset puts it at the same relative place and size on photos of any size.

#include "MarkValues.h"

#include "watermarks/OVArrowWatermark.h"
#include "watermarks/OVWatermark.h"

namespace cli {

/// The image marks are laid out on: a 3:2 landscape, the commonest photo shape, large enough
/// that rounding to whole units is negligible. A --rect is exact on photos of this shape; on
/// others the area keeps its shape (its height follows its width), as the library does.
inline constexpr ov::Rect kMarkReferenceBounds{0, 0, 3000, 2000};

struct BoxPlacement {
    MarkAnchor anchor = MarkAnchor::BottomRight;
    double marginX = 0.03; ///< gap to the anchor's side edge, share of the image width
    double marginY = 0.03; ///< gap to the anchor's top or bottom edge, share of the image height
    double width = 0;      ///< content width as a share of the image width; 0 keeps the size
};

/// Places a boxed mark (text, image, shape, pixellate) at an anchor. With a width, the mark
/// scales with the image (a text's font size follows its frame). Never larger than the image.
void placeBox(OVWatermark& mark, const BoxPlacement& placement);

/// Places a shape or pixellate mark over `rect` (fractions, top-left origin, y downward).
void placeRect(OVWatermark& mark, ov::Rect rect);

/// Lays an arrow from `from` to `to` (fractions, top-left origin, y downward).
void placeArrow(OVArrowWatermark& arrow, ov::Point from, ov::Point to);

/// The placement a mark has now, read back from its relative placement (a centred mark reads
/// as the corner it was measured from).
[[nodiscard]] BoxPlacement currentPlacement(const OVWatermark& mark);

/// The rectangle a mark covers now, as fractions with a top-left origin (y downward).
[[nodiscard]] ov::Rect currentRect(OVWatermark& mark);

} // namespace cli
