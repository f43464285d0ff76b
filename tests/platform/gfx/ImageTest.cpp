#include "inkstead/platform/gfx/Image.h"

#include "support/PixelProbes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ov::AlphaInfo;
using ov::Color;
using ov::Image;

constexpr uint32_t layout(AlphaInfo a, uint32_t order = 0) {
    return static_cast<uint32_t>(a) | order;
}
constexpr uint32_t kLittle = ov::kBitmapByteOrder32Little;

// One pixel of colour (r, g, b) = (200, 100, 0) at alpha 128, stored in each layout, reads the
// same and converts to the native layout.
TEST(Image, LayoutsReadTheSameColourAndConvertToNative) {
    struct Case {
        const char* name;
        uint32_t bitmapInfo;
        std::vector<uint8_t> bytes;
        bool opaque;
    };
    const Case cases[] = {
        {"premultipliedLast", layout(AlphaInfo::premultipliedLast), {100, 50, 0, 128}, false},
        {"premultipliedFirst", layout(AlphaInfo::premultipliedFirst), {128, 100, 50, 0}, false},
        {"nativeBGRA", ov::kNativeBitmapInfo, {0, 50, 100, 128}, false},
        {"last", layout(AlphaInfo::last), {200, 100, 0, 128}, false},
        {"firstLittle", layout(AlphaInfo::first, kLittle), {0, 100, 200, 128}, false},
        {"lastLittle", layout(AlphaInfo::premultipliedLast, kLittle), {128, 0, 50, 100}, false},
        {"noneSkipLast", layout(AlphaInfo::noneSkipLast), {200, 100, 0, 7}, true},
        {"noneSkipFirstLittle", layout(AlphaInfo::noneSkipFirst, kLittle), {0, 100, 200, 7}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = Image::create(1, 1, 4, c.bitmapInfo, c.bytes);
        ASSERT_TRUE(image);
        const Color expected{200 / 255.0, 100 / 255.0, 0, c.opaque ? 1 : 128 / 255.0};
        for (const auto& img : {image, image->nativeCopy()}) {
            ASSERT_TRUE(img);
            const Color got = img->colorAt(0, 0);
            EXPECT_TRUE(ov::test::colorNear(
                got, {expected.red, expected.green, expected.blue, got.alpha}, 0.01));
            EXPECT_NEAR(got.alpha, expected.alpha, 0.001);
        }
        EXPECT_TRUE(image->nativeCopy()->isNativeLayout());
    }
}

TEST(Image, CreateRejectsBadGeometry) {
    EXPECT_FALSE(Image::create(0, 1, 4, ov::kNativeBitmapInfo, std::vector<uint8_t>(4)));
    EXPECT_FALSE(
        Image::create(2, 1, 4, ov::kNativeBitmapInfo, std::vector<uint8_t>(8))); // row too short
    EXPECT_FALSE(
        Image::create(1, 2, 4, ov::kNativeBitmapInfo, std::vector<uint8_t>(4))); // buffer too small
    EXPECT_FALSE(Image::create(1, 1, 4, ov::kNativeBitmapInfo | ov::kBitmapFloatComponents,
                               std::vector<uint8_t>(4)));
    EXPECT_TRUE(Image::create(1, 2, 8, ov::kNativeBitmapInfo, std::vector<uint8_t>(16)));
}

TEST(Image, ColorAtIsYUpAndOutOfRangeIsClear) {
    // Two rows: first in memory (top) red, second (bottom) blue, with a padded stride.
    std::vector<uint8_t> bytes = {255, 0, 0, 255, 9, 9, 9, 9, 0, 0, 255, 255, 9, 9, 9, 9};
    auto image = Image::create(1, 2, 8, layout(AlphaInfo::premultipliedLast), bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->colorAt(0, 0), (Color{0, 0, 1, 1}));
    EXPECT_EQ(image->colorAt(0, 1), (Color{1, 0, 0, 1}));
    EXPECT_EQ(image->colorAt(1, 0), Color::clear());
    EXPECT_EQ(image->colorAt(0, -1), Color::clear());
}

TEST(Image, PngRoundTripAndUnreadableFiles) {
    ov::test::TempDir dir;
    std::vector<uint8_t> bytes = {255, 0, 0, 255, 0, 0, 0, 0};
    auto image = Image::create(2, 1, 8, layout(AlphaInfo::premultipliedLast), bytes);
    ASSERT_TRUE(image->writePNG(dir / "a.png"));
    auto read = Image::readPNG(dir / "a.png");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->colorAt(0, 0), (Color{1, 0, 0, 1}));
    EXPECT_EQ(read->colorAt(1, 0).alpha, 0);

    EXPECT_FALSE(Image::readPNG(dir / "missing.png"));
    EXPECT_FALSE(Image::readPNG(ov::test::writeFile(dir / "junk.png", "not a png")));
}

} // namespace
