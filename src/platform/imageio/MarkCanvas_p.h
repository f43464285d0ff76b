#pragma once

// Private to the image I/O folder: one box of a streamed picture, prepared for drawing marks.

#include "inkstead/platform/imageio/ColorConversion_p.h"
#include "inkstead/platform/imageio/StreamedPicture.h"

#include <vips/vips.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace ov::imageio {

/// The picture's samples of an area (8 or 16 bits, 3 or 4 bands, in the photograph's colour
/// space) and, to draw the marks on, the same pixels in native premultiplied 8-bit sRGB. When
/// written back, a pixel that the marks left alone keeps the picture's own samples exactly (its
/// depth and its colours, even those sRGB cannot show); a pixel they changed is converted into
/// the photograph's colour space and depth.
class MarkCanvas {
public:
    /// `conversion` (may be null: the photograph is in sRGB) must outlive the canvas.
    MarkCanvas(const PixelBox& area, int bands, bool deep, const ColorConversion* conversion);

    /// Reads the area from a region prepared over it.
    void load(VipsRegion* region);
    [[nodiscard]] uint8_t* pixels() { return native_.get(); }
    [[nodiscard]] std::size_t bytesPerRow() const { return std::size_t(area_.width) * 4; }
    /// The part `box` of the area, in the picture's samples, rows of box.width pixels.
    void store(const PixelBox& box, std::vector<uint8_t>& samples) const;

private:
    PixelBox area_;
    int bands_;
    bool deep_;
    const ColorConversion* conversion_;
    // Every byte is written before it is read: no zero-fill.
    std::unique_ptr<uint8_t[]> samples_; ///< as read
    std::unique_ptr<uint8_t[]> native_;  ///< drawn on
    std::unique_ptr<uint8_t[]> clean_;   ///< native_ before drawing
};

} // namespace ov::imageio
