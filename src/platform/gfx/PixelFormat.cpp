#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/gfx/PixelFormat_p.h"

#include <algorithm>

namespace ov::detail {
namespace {

constexpr uint32_t kByteOrderMask = 0x7000;

uint8_t premultiply(uint8_t c, uint8_t a) {
    return static_cast<uint8_t>((c * a + 127) / 255);
}

} // namespace

Rgba8 readPixel(const uint8_t* p, uint32_t bitmapInfo) {
    const auto alpha = static_cast<AlphaInfo>(bitmapInfo & kBitmapAlphaInfoMask);
    if (alpha == AlphaInfo::only)
        return {0, 0, 0, p[0]};

    // Bytes in the order the layout names them (the 32-bit little-endian order reverses them).
    uint8_t c[4] = {p[0], p[1], p[2], p[3]};
    if ((bitmapInfo & kByteOrderMask) == kBitmapByteOrder32Little)
        c[0] = p[3], c[1] = p[2], c[2] = p[1], c[3] = p[0];

    Rgba8 px;
    switch (alpha) {
    case AlphaInfo::premultipliedFirst:
    case AlphaInfo::first:
    case AlphaInfo::noneSkipFirst:
        px = {c[1], c[2], c[3], c[0]};
        break;
    default:
        px = {c[0], c[1], c[2], c[3]};
        break;
    }
    switch (alpha) {
    case AlphaInfo::none:
    case AlphaInfo::noneSkipFirst:
    case AlphaInfo::noneSkipLast:
        px.a = 255;
        break;
    case AlphaInfo::first:
    case AlphaInfo::last:
        px.r = premultiply(px.r, px.a);
        px.g = premultiply(px.g, px.a);
        px.b = premultiply(px.b, px.a);
        break;
    default:
        // Premultiplied components never exceed alpha; clamp damaged data.
        px.r = std::min(px.r, px.a);
        px.g = std::min(px.g, px.a);
        px.b = std::min(px.b, px.a);
        break;
    }
    return px;
}

} // namespace ov::detail
