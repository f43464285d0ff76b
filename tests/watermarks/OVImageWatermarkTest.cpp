#include "inkstead/watermarks/OVImageWatermark.h"

#include "KindsCanvas.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "support/EveryKindPreset.h"
#include "support/TestSupport.h"

#include <cmath>
#include <filesystem>
#include <tuple>

using namespace kinds_test;
namespace fs = std::filesystem;

namespace {

using ImageWatermarkTest = ov::test::StorageTest;

// A logo of `width` × `height`: opaque red on the left half, fully transparent on the right.
ov::ImagePtr logo(int width, int height) {
    return ov::test::halfLogo(width, height, {1, 0, 0, 1});
}

} // namespace

// A picture's size is capped at its pixels and fitted into the container.
TEST_F(ImageWatermarkTest, SizeIsCappedAndFittedIntoTheContainer) {
    const std::tuple<ov::Size, ov::Size, ov::Size> cases[] = {
        {{200, 100}, {4000, 3000}, {200, 100}}, // smaller than the image
        {{4000, 2000}, {1000, 1000}, {1000, 500}},
        {{500, 2000}, {1000, 1000}, {250, 1000}},
        {{3000, 3000}, {1000, 1000}, {1000, 1000}},
        {{2048, 2048}, {0, 0}, {768, 768}}, // no image yet
    };
    for (const auto& [picture, container, expected] : cases) {
        auto watermark = OVImageWatermark::imageWatermark();
        watermark->setBounds(ov::Rect{ov::PointZero, container});
        ASSERT_TRUE(watermark->setImage(logo(int(picture.width), int(picture.height))));
        EXPECT_EQ(watermark->size(), expected);
        EXPECT_TRUE(watermark->hasMaxSize());
        EXPECT_EQ(watermark->maxSize(), picture);
    }
}

TEST_F(ImageWatermarkTest, PictureFileIsNamedAfterTheUuidAndHoldsTiff) {
    auto watermark = OVImageWatermark::imageWatermark();
    watermark->setUuid(*ov::UUID::fromString("e621e1f8-c36c-495a-93fc-0c247a3e6e5f"));
    EXPECT_EQ(watermark->filename(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F.png");
    ASSERT_TRUE(watermark->setImage(logo(40, 20)));
    EXPECT_TRUE(fs::exists(watermark->imageURL()));
    EXPECT_EQ(watermark->imageURL().parent_path().filename(), "images");
    EXPECT_EQ(ov::ImageSource::typeOfFile(watermark->imageURL()), "public.tiff");
    // Transparency survives the file.
    auto reread = watermark->image();
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(reread->colorAt(30, 10).alpha, 0.0);
    EXPECT_TRUE(near(reread->colorAt(5, 10), ov::Color{1, 0, 0, 1}));
}

TEST_F(ImageWatermarkTest, HalfAlphaShowsLogoAtHalfStrengthAndTransparencyLeavesThePhoto) {
    auto watermark = OVImageWatermark::imageWatermark();
    watermark->setBounds({0, 0, 200, 100});
    ASSERT_TRUE(watermark->setImage(logo(100, 50)));
    watermark->setOrigin({50, 25});
    watermark->setAlpha(0.5);
    auto image = drawnOnWhite(*watermark, 200, 100);
    EXPECT_TRUE(near(image->colorAt(70, 50), ov::Color{1, 0.5, 0.5, 1})); // logo, half strength
    EXPECT_TRUE(isWhite(image->colorAt(130, 50)));                        // logo's clear half
    EXPECT_TRUE(isWhite(image->colorAt(20, 50)));                         // outside the logo
}

TEST_F(ImageWatermarkTest, MissingFileDrawsNothingAndIsRetried) {
    auto watermark = OVImageWatermark::imageWatermark();
    watermark->setBounds({0, 0, 100, 100});
    auto picture = logo(100, 100);
    ASSERT_TRUE(watermark->setImage(picture));
    watermark->removeImage();
    EXPECT_FALSE(fs::exists(watermark->imageURL()));
    auto canvas = whiteCanvas(100, 100);
    watermark->setEditable(true);
    watermark->renderInContext(*canvas);
    EXPECT_TRUE(isWhite(canvas->makeImage()->colorAt(10, 50)));
    EXPECT_TRUE(isWhite(canvas->makeImage()->colorAt(0, 0))); // no selection frame either

    // The file comes back (another copy of the library wrote it): the next draw finds it.
    auto other = OVImageWatermark::imageWatermark();
    other->setUuid(watermark->uuid());
    ASSERT_TRUE(other->setImage(picture));
    watermark->setEditable(false);
    watermark->renderInContext(*canvas);
    EXPECT_TRUE(near(canvas->makeImage()->colorAt(10, 50), ov::Color{1, 0, 0, 1}));
}

// A copy for a render writes nothing and draws the source's picture even when the file is gone;
// a duplicate is a watermark of its own, with its own file.
TEST_F(ImageWatermarkTest, CopiesShareThePictureAndDuplicatesGetTheirOwnFile) {
    auto source = OVImageWatermark::imageWatermark();
    source->setBounds({0, 0, 400, 400});
    ASSERT_TRUE(source->setImage(logo(100, 100)));
    source->setOrigin({300, 300});
    source->calculateRelativePosition();
    const auto filesBefore = std::distance(fs::directory_iterator(source->imageURL().parent_path()),
                                           fs::directory_iterator());
    auto copy = std::static_pointer_cast<OVImageWatermark>(source->copy());
    EXPECT_TRUE(copy->isEqualToWatermark(source));
    EXPECT_EQ(std::distance(fs::directory_iterator(source->imageURL().parent_path()),
                            fs::directory_iterator()),
              filesBefore);

    auto duplicate = std::static_pointer_cast<OVImageWatermark>(source->duplicate());
    EXPECT_FALSE(duplicate->isEqualToWatermark(source));
    EXPECT_TRUE(fs::exists(duplicate->imageURL()));
    EXPECT_EQ(duplicate->relativePosition(), source->relativePosition());

    const auto a = drawnOnWhite(*source, 400, 400);
    source->removeImage();
    for (const auto& drawn : {copy, duplicate}) {
        drawn->setBounds({0, 0, 400, 400});
        EXPECT_EQ(a->bytes(), drawnOnWhite(*drawn, 400, 400)->bytes());
    }
    EXPECT_TRUE(fs::exists(duplicate->imageURL())) << "removing the source's file keeps it";
}

TEST_F(ImageWatermarkTest, SettingAPictureResetsANonFiniteOriginAndRejectsNothing) {
    auto watermark = OVImageWatermark::imageWatermark();
    watermark->setOrigin({std::nan(""), 5});
    ASSERT_TRUE(watermark->setImage(logo(10, 10)));
    EXPECT_EQ(watermark->origin(), ov::PointZero);

    const ov::Size before = watermark->size();
    EXPECT_FALSE(watermark->setImage(nullptr));
    EXPECT_FALSE(watermark->setImageWithContentsOfFile("/nonexistent/logo.png"));
    EXPECT_EQ(watermark->size(), before);
}
