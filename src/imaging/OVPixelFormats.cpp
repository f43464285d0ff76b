#include "inkstead/imaging/OVPixelFormats.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

using ov::AlphaInfo;

constexpr uint32_t kBitmapByteOrderMask = 0x7000;
constexpr uint32_t kBitmapByteOrder32Little = 0x2000;

vImage_CGImageFormat formatWithBitmapInfo(uint32_t bitmapInfo) {
    vImage_CGImageFormat format;
    format.bitsPerComponent = 8;
    format.bitsPerPixel = 32;
    format.bitmapInfo = bitmapInfo;
    return format;
}

// Where the four channels of a layout sit in the four bytes of a pixel.
struct ChannelOffsets {
    int r, g, b, a;
};

ChannelOffsets offsetsFor(uint32_t bitmapInfo) {
    const auto alpha = static_cast<AlphaInfo>(bitmapInfo & ov::kBitmapAlphaInfoMask);
    const bool alphaFirst = alpha == AlphaInfo::premultipliedFirst || alpha == AlphaInfo::first ||
                            alpha == AlphaInfo::noneSkipFirst;
    // In memory order (big-endian words): A R G B or R G B A.
    ChannelOffsets offsets = alphaFirst ? ChannelOffsets{1, 2, 3, 0} : ChannelOffsets{0, 1, 2, 3};
    if ((bitmapInfo & kBitmapByteOrderMask) == kBitmapByteOrder32Little) {
        // A little-endian 32-bit word stores its bytes reversed.
        offsets = {3 - offsets.r, 3 - offsets.g, 3 - offsets.b, 3 - offsets.a};
    }
    return offsets;
}

struct Pixel {
    unsigned r, g, b, a; // premultiplied
};

Pixel readPixel(const uint8_t* p, AlphaInfo alpha, ChannelOffsets o) {
    switch (alpha) {
    case AlphaInfo::premultipliedFirst:
    case AlphaInfo::premultipliedLast:
        return {p[o.r], p[o.g], p[o.b], p[o.a]};
    case AlphaInfo::first:
    case AlphaInfo::last: {
        const unsigned a = p[o.a];
        return {(p[o.r] * a + 127) / 255, (p[o.g] * a + 127) / 255, (p[o.b] * a + 127) / 255, a};
    }
    case AlphaInfo::only:
        return {0, 0, 0, p[3]};
    default: // none, noneSkipFirst, noneSkipLast: opaque
        return {p[o.r], p[o.g], p[o.b], 255};
    }
}

void writePixel(uint8_t* p, Pixel px, AlphaInfo alpha, ChannelOffsets o) {
    switch (alpha) {
    case AlphaInfo::premultipliedFirst:
    case AlphaInfo::premultipliedLast:
        p[o.r] = static_cast<uint8_t>(px.r);
        p[o.g] = static_cast<uint8_t>(px.g);
        p[o.b] = static_cast<uint8_t>(px.b);
        p[o.a] = static_cast<uint8_t>(px.a);
        break;
    case AlphaInfo::first:
    case AlphaInfo::last: {
        const unsigned a = px.a;
        auto straight = [a](unsigned c) {
            return static_cast<uint8_t>(a == 0 ? 0 : std::min(255u, (c * 255 + a / 2) / a));
        };
        p[o.r] = straight(px.r);
        p[o.g] = straight(px.g);
        p[o.b] = straight(px.b);
        p[o.a] = static_cast<uint8_t>(a);
        break;
    }
    case AlphaInfo::only:
        p[0] = p[1] = p[2] = 0;
        p[3] = static_cast<uint8_t>(px.a);
        break;
    default:
        p[o.r] = static_cast<uint8_t>(px.r);
        p[o.g] = static_cast<uint8_t>(px.g);
        p[o.b] = static_cast<uint8_t>(px.b);
        p[o.a] = 255;
        break;
    }
}

} // namespace

vImage_CGImageFormat CGImageAlphaPremultipliedLastFormat() {
    return formatWithBitmapInfo(0x1);
}
vImage_CGImageFormat CGImageAlphaPremultipliedFirstFormat() {
    return formatWithBitmapInfo(0x2102);
}
vImage_CGImageFormat CGImageAlphaNoneSkipLastFormat() {
    return formatWithBitmapInfo(0x5);
}
vImage_CGImageFormat CGImageAlphaNoneSkipFirstFormat() {
    return formatWithBitmapInfo(0x2106);
}

vImage_CGImageFormat formatForCGImageAlphaType(uint32_t alphaInfo) {
    switch (alphaInfo) {
    case 1:
        return CGImageAlphaPremultipliedLastFormat();
    case 2:
        return CGImageAlphaPremultipliedFirstFormat();
    case 5:
        return CGImageAlphaNoneSkipLastFormat();
    case 6:
        return CGImageAlphaNoneSkipFirstFormat();
    default:
        return {};
    }
}

ov::ImagePtr CGImageCreateFromAlphaComposite(const ov::ImagePtr& base,
                                             const ov::ImagePtr& overlay) {
    if (!base || !overlay || base->width() != overlay->width() ||
        base->height() != overlay->height()) {
        return nullptr;
    }
    const auto baseAlpha = base->alphaInfo();
    const auto overlayAlpha = overlay->alphaInfo();
    const auto baseOffsets = offsetsFor(base->bitmapInfo());
    const auto overlayOffsets = offsetsFor(overlay->bitmapInfo());
    std::vector<uint8_t> out(base->bytes());
    for (int y = 0; y < base->height(); ++y) {
        const uint8_t* top = overlay->data() + static_cast<std::size_t>(y) * overlay->bytesPerRow();
        uint8_t* row = out.data() + static_cast<std::size_t>(y) * base->bytesPerRow();
        for (int x = 0; x < base->width(); ++x, top += 4, row += 4) {
            const Pixel t = readPixel(top, overlayAlpha, overlayOffsets);
            const Pixel b = readPixel(row, baseAlpha, baseOffsets);
            const unsigned keep = 255 - t.a;
            const Pixel result{std::min(255u, t.r + (b.r * keep + 127) / 255),
                               std::min(255u, t.g + (b.g * keep + 127) / 255),
                               std::min(255u, t.b + (b.b * keep + 127) / 255),
                               std::min(255u, t.a + (b.a * keep + 127) / 255)};
            writePixel(row, result, baseAlpha, baseOffsets);
        }
    }
    return ov::Image::create(base->width(), base->height(), base->bytesPerRow(), base->bitmapInfo(),
                             std::move(out));
}
