// Logos drawn far above their own size: an SVG logo stays sharp, an enlarged bitmap goes soft
// and says so.

#include "KindsCanvas.h"

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/gfx/VectorPicture.h"
#include "inkstead/watermarks/OVImageWatermark.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 3000;

// A 100 × 50 logo: black from a quarter to three quarters of its width, clear elsewhere.
constexpr const char* kSvgLogo = R"(<?xml version="1.0"?>
<!-- a logo -->
<svg xmlns="http://www.w3.org/2000/svg" width="100" height="50" viewBox="0 0 100 50">
  <rect x="25" y="0" width="50" height="50" fill="#000"/>
</svg>)";

ov::ImagePtr bitmapLogo() {
    auto canvas = ov::GraphicsContext::createBitmap(100, 50);
    canvas->setFillColor(ov::Color::black());
    canvas->fillRect({25, 0, 50, 50});
    return canvas->makeImage();
}

// Pixels of the middle row that are neither white nor black, around the logo's left edge.
int edgeWidth(const ov::Image& image) {
    int blurred = 0;
    for (int x = kWidth / 4 - 200; x < kWidth / 4 + 200; ++x) {
        const double red = image.colorAt(x, kHeight / 2).red;
        blurred += red > 0.05 && red < 0.95;
    }
    return blurred;
}

struct LogoCase {
    const char* label;
    bool vector;
    int maxEdge, minEdge;
    bool warns;
};

class VectorLogoTest : public ov::test::StorageTest,
                       public testing::WithParamInterface<LogoCase> {};

TEST_P(VectorLogoTest, EdgesAtSixThousandPixelsWide) {
    const LogoCase& c = GetParam();
    auto logo = OVImageWatermark::imageWatermark();
    if (c.vector) {
        const auto file = ov::test::writeFile(home / "logo.svg", kSvgLogo);
        auto picture = OVPictureWithContentsOfFile(file);
        ASSERT_TRUE(picture) << picture.error().message;
        ASSERT_TRUE(picture.value()->vectorSource());
        ASSERT_TRUE(logo->setImage(picture.value()));
        logo->setInternal_image(nullptr); // drawn from the stored file
    } else {
        logo->setAllowsEnlargement(true);
        ASSERT_TRUE(logo->setImage(bitmapLogo()));
    }
    EXPECT_FALSE(logo->hasMaxSize());
    logo->setShouldUseRelativePosition(false);
    logo->setShouldUseRelativeSize(false);
    logo->setBounds({0, 0, kWidth, kHeight});
    logo->setOrigin({0, 0});
    logo->setSize({kWidth, kHeight});
    auto canvas = kinds_test::whiteCanvas(kWidth, kHeight);
    logo->renderInContext(*canvas);
    const auto image = canvas->takeImage();
    EXPECT_TRUE(kinds_test::isBlack(image->colorAt(kWidth / 2, kHeight / 2)));
    const int edge = edgeWidth(*image);
    EXPECT_LE(edge, c.maxEdge);
    EXPECT_GE(edge, c.minEdge);
    EXPECT_EQ(logo->renderWarning().has_value(), c.warns);
}

INSTANTIATE_TEST_SUITE_P(Logos, VectorLogoTest,
                         testing::Values(LogoCase{"svg", true, 2, 0, false},
                                         LogoCase{"enlargedBitmap", false, 400, 20, true}),
                         [](const testing::TestParamInfo<LogoCase>& info) {
                             return info.param.label;
                         });

TEST(VectorPicture, RecognisesSvgDocumentsOnly) {
    const auto bytes = [](std::string_view text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };
    EXPECT_TRUE(ov::VectorPicture::isVectorData(bytes(kSvgLogo)));
    EXPECT_TRUE(ov::VectorPicture::isVectorData(bytes("  <svg/>")));
    EXPECT_FALSE(ov::VectorPicture::isVectorData(bytes("<?xml version=\"1.0\"?><html/>")));
    EXPECT_FALSE(ov::VectorPicture::isVectorData(bytes("\x89PNG")));
    // A document without any size cannot be placed.
    EXPECT_FALSE(ov::VectorPicture::createWithData(
        bytes("<svg xmlns=\"http://www.w3.org/2000/svg\"><rect width=\"5\"/></svg>")));
    EXPECT_FALSE(ov::VectorPicture::createWithData(bytes("<svg><unclosed")));
}

// Back to the cap: a bitmap logo enlarged meanwhile shrinks to its pixels.
TEST_F(VectorLogoTest, DisallowingEnlargementCapsTheSizeAgain) {
    auto logo = OVImageWatermark::imageWatermark();
    logo->setAllowsEnlargement(true);
    ASSERT_TRUE(logo->setImage(bitmapLogo()));
    logo->setSize({1000, 500});
    logo->setAllowsEnlargement(false);
    EXPECT_EQ(logo->size(), (ov::Size{100, 50}));
}

} // namespace
