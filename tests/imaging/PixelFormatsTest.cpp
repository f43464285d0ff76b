#include "inkstead/imaging/OVPixelFormats.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

namespace {

// A 2 × 1 image whose pixels are given as premultiplied (r, g, b, a) and stored in `bitmapInfo`.
ov::ImagePtr makeImage(uint32_t bitmapInfo, std::array<std::array<uint8_t, 4>, 2> rgba) {
    std::vector<uint8_t> bytes(8);
    const auto alpha = static_cast<ov::AlphaInfo>(bitmapInfo & ov::kBitmapAlphaInfoMask);
    const bool first = alpha == ov::AlphaInfo::premultipliedFirst ||
                       alpha == ov::AlphaInfo::first || alpha == ov::AlphaInfo::noneSkipFirst;
    const bool straight = alpha == ov::AlphaInfo::first || alpha == ov::AlphaInfo::last;
    for (int i = 0; i < 2; ++i) {
        auto [r, g, b, a] = rgba[i];
        if (straight && a != 0) {
            r = static_cast<uint8_t>(r * 255 / a);
            g = static_cast<uint8_t>(g * 255 / a);
            b = static_cast<uint8_t>(b * 255 / a);
        }
        std::array<uint8_t, 4> word =
            first ? std::array<uint8_t, 4>{a, r, g, b} : std::array<uint8_t, 4>{r, g, b, a};
        if (bitmapInfo & ov::kBitmapByteOrder32Little) {
            std::reverse(word.begin(), word.end());
        }
        std::copy(word.begin(), word.end(), bytes.begin() + i * 4);
    }
    return ov::Image::create(2, 1, 8, bitmapInfo, std::move(bytes));
}

// Half-transparent red over the base, in each layout of the base: each channel is
// overlay + base × (1 − overlay alpha), and the result keeps the base's layout.
TEST(CompositeTest, OverOperatorInBaseLayout) {
    const std::tuple<const char*, uint32_t, bool> layouts[] = {
        {"premultipliedLast", 1, false},       {"premultipliedFirstLittle", 0x2002, false},
        {"premultipliedFirst", 2, false},      {"alphaLast", 3, false},
        {"alphaFirstLittle", 0x2004, false},   {"noneSkipLast", 5, true},
        {"noneSkipFirstLittle", 0x2006, true},
    };
    for (const auto& [name, bitmapInfo, opaque] : layouts) {
        SCOPED_TRACE(name);
        const uint8_t baseAlpha = opaque ? 255 : 200;
        auto base = makeImage(bitmapInfo, {{{0, 100, 200, baseAlpha}, {40, 40, 40, baseAlpha}}});
        // The overlay in a different layout from the base: it is read in its own.
        auto overlay = makeImage(ov::kNativeBitmapInfo, {{{128, 0, 0, 128}, {0, 0, 0, 0}}});
        auto result = CGImageCreateFromAlphaComposite(base, overlay);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->bitmapInfo(), bitmapInfo);
        EXPECT_EQ(result->width(), 2);
        const auto over = result->colorAt(0, 0);
        const double keep = 127.0 / 255;
        const double a = opaque ? 1.0 : (128 + baseAlpha * keep) / 255;
        EXPECT_NEAR(over.alpha, a, 0.01);
        EXPECT_NEAR(over.red * a, 128 / 255.0, 0.015);
        EXPECT_NEAR(over.green * a, 100 * keep / 255, 0.015);
        EXPECT_NEAR(over.blue * a, 200 * keep / 255, 0.015);
        // A transparent overlay pixel leaves the base as it was.
        EXPECT_EQ(result->nativeCopy()->bytes()[4], base->nativeCopy()->bytes()[4]);
        EXPECT_NEAR(result->colorAt(1, 0).alpha, baseAlpha / 255.0, 0.005);
    }
}

TEST(CompositeMismatchTest, SizesMustMatch) {
    auto base = ov::Image::createNative(2, 2);
    auto other = ov::Image::createNative(3, 2);
    EXPECT_EQ(CGImageCreateFromAlphaComposite(base, other), nullptr);
    EXPECT_EQ(CGImageCreateFromAlphaComposite(nullptr, base), nullptr);
}

} // namespace
