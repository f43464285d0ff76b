#pragma once

// Reading and writing single pixels of every 32-bit layout an Image may carry. Not installed.

#include <bit>
#include <cstdint>
#include <cstring>

namespace ov::detail {

static_assert(std::endian::native == std::endian::little,
              "the native pixel layout assumes a little-endian host");

/// One pixel, 8-bit premultiplied components.
struct Rgba8 {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

/// Reads the pixel at `p` stored with the given bitmap info (alpha layout and byte order).
Rgba8 readPixel(const uint8_t* p, uint32_t bitmapInfo);

/// Writes a native pixel: premultiplied ARGB in a host-endian 32-bit word.
inline void writeNativePixel(uint8_t* p, Rgba8 c) {
    const uint32_t word =
        (uint32_t{c.a} << 24) | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | uint32_t{c.b};
    std::memcpy(p, &word, 4);
}

inline Rgba8 readNativePixel(const uint8_t* p) {
    uint32_t word;
    std::memcpy(&word, p, 4);
    return {static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 8),
            static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 24)};
}

/// Bytes per pixel of a layout: 1 for alpha-only images, 4 for every other one.
inline int bytesPerPixel(uint32_t bitmapInfo) {
    return (bitmapInfo & 0x1F) == 7 ? 1 : 4;
}

} // namespace ov::detail
