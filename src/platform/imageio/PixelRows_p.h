#pragma once

// Private to the image I/O folder: conversions of one row between libvips' straight R, G, B (A)
// bytes and the library's native premultiplied B, G, R, A.

#include <algorithm>
#include <cstdint>

namespace ov::imageio {

/// Straight R, G, B (A) to premultiplied B, G, R, A; without alpha the pixels are opaque.
inline void premultiplyRow(const uint8_t* src, uint8_t* dst, int width, int bands) {
    if (bands == 3) {
        for (int x = 0; x < width; ++x, src += 3, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = 255;
        }
        return;
    }
    for (int x = 0; x < width; ++x, src += 4, dst += 4) {
        const unsigned a = src[3];
        if (a == 255) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        } else {
            dst[0] = static_cast<uint8_t>((src[2] * a + 127) / 255);
            dst[1] = static_cast<uint8_t>((src[1] * a + 127) / 255);
            dst[2] = static_cast<uint8_t>((src[0] * a + 127) / 255);
        }
        dst[3] = static_cast<uint8_t>(a);
    }
}

/// Premultiplied B, G, R, A to straight R, G, B (A). Without alpha (`bands` 3) the
/// premultiplied values are kept, which is the picture over black.
inline void straightenRow(const uint8_t* src, uint8_t* dst, int width, int bands) {
    if (bands == 3) {
        for (int x = 0; x < width; ++x, src += 4, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        return;
    }
    for (int x = 0; x < width; ++x, src += 4, dst += 4) {
        const unsigned alpha = src[3];
        if (alpha == 255 || alpha == 0) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        } else {
            dst[0] = static_cast<uint8_t>(std::min(255u, (src[2] * 255 + alpha / 2) / alpha));
            dst[1] = static_cast<uint8_t>(std::min(255u, (src[1] * 255 + alpha / 2) / alpha));
            dst[2] = static_cast<uint8_t>(std::min(255u, (src[0] * 255 + alpha / 2) / alpha));
        }
        dst[3] = static_cast<uint8_t>(alpha);
    }
}

} // namespace ov::imageio
