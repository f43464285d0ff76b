#pragma once

#include "inkstead/platform/imageio/ImageSource.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace ov {

/// A rectangle of whole output pixels, rows counted from the top.
struct PixelBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] bool isEmpty() const { return width <= 0 || height <= 0; }
    [[nodiscard]] int right() const { return x + width; }
    [[nodiscard]] int bottom() const { return y + height; }
    /// The common part of two boxes (empty when they do not meet).
    [[nodiscard]] PixelBox intersection(const PixelBox& other) const;
    /// This box grown by `margin` on every side.
    [[nodiscard]] PixelBox grown(int margin) const;
};

/// A picture that goes from a source to an encoder without ever being whole in memory: the
/// source is decoded upright at width × height, in strips, and the only pixels drawn on are
/// those of `boxes`, each handed to `painter` once, the first time the encoder reaches it.
struct StreamedPicture {
    /// Draws onto the clean picture's pixels of `box` (native layout, rows top to bottom,
    /// `bytesPerRow` apart). False fails the write.
    using Painter =
        std::function<bool(uint8_t* pixels, std::size_t bytesPerRow, const PixelBox& box)>;

    ImageSourcePtr source;
    int width = 0;
    int height = 0;
    /// Where the painter draws; outside them the output is the clean picture.
    std::vector<PixelBox> boxes;
    /// Clean pixels handed to the painter around each box (within the picture), for drawing
    /// that reads its surroundings (blurs, mosaics); only the box itself is kept.
    int surroundings = 0;
    Painter painter;
};

} // namespace ov
