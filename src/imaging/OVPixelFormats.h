#pragma once

// Ready-made 32-bit pixel-format records, a lookup by alpha layout, and the premultiplied
// "over" composite of two images.

#include "inkstead/platform/gfx/Image.h"

#include <cstdint>

/// Marks the group of pixel-format and bitmap-context helpers; it has no members.
class OV_vImageAdditions {};

/// A pixel-format description: component and pixel sizes, colour space, bitmap info (alpha
/// layout, byte order and flags), version, decode array and rendering intent.
struct vImage_CGImageFormat {
    uint32_t bitsPerComponent = 0;
    uint32_t bitsPerPixel = 0;
    const void* colorSpace = nullptr;
    uint32_t bitmapInfo = 0;
    uint32_t version = 0;
    const double* decode = nullptr;
    int32_t renderingIntent = 0;

    friend bool operator==(const vImage_CGImageFormat&, const vImage_CGImageFormat&) = default;
};

/// 8-bit RGBA, alpha last and premultiplied, default byte order (bitmap info 0x1).
[[nodiscard]] vImage_CGImageFormat CGImageAlphaPremultipliedLastFormat();
/// 8-bit ARGB in a little-endian word, alpha premultiplied (bitmap info 0x2102).
[[nodiscard]] vImage_CGImageFormat CGImageAlphaPremultipliedFirstFormat();
/// 8-bit RGBX, the last byte unused (bitmap info 0x5).
[[nodiscard]] vImage_CGImageFormat CGImageAlphaNoneSkipLastFormat();
/// 8-bit XRGB in a little-endian word, the alpha byte unused (bitmap info 0x2106).
[[nodiscard]] vImage_CGImageFormat CGImageAlphaNoneSkipFirstFormat();

/// The record of an alpha layout: 1, 2, 5 and 6 give the four records above; every other
/// value gives an all-zero record.
[[nodiscard]] vImage_CGImageFormat formatForCGImageAlphaType(uint32_t alphaInfo);

/// `overlay` composited over `base` with the premultiplied "over" operator
/// (result = overlay + base × (1 − overlay alpha), per channel), as a new image of the base's
/// size in the base's own layout (alpha position, premultiplication, byte order). Each input is
/// read in its own layout; a base without alpha stays opaque. Null when either is null or their
/// sizes differ.
[[nodiscard]] ov::ImagePtr CGImageCreateFromAlphaComposite(const ov::ImagePtr& base,
                                                           const ov::ImagePtr& overlay);
