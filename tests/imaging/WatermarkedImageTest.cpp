#include "inkstead/imaging/OVImageMetadata.h"
#include "inkstead/imaging/OVWatermarkedImage.h"

#include "inkstead/platform/imageio/ImageDestination.h"

#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"

#include "support/EveryKindPreset.h"
#include "support/GeneratedPhotos.h"
#include "support/PixelProbes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using ov::ImageSource;
using ov::test::filledSquare;

std::shared_ptr<OVPreset> presetWith(std::vector<OVWatermarkPtr> watermarks) {
    auto preset = std::make_shared<OVPreset>();
    preset->setWatermarks(std::move(watermarks));
    return preset;
}

using ov::test::expectUprightPicture;

class RenderOrientationTest : public testing::TestWithParam<int> {};

// Every orientation comes out upright, at the upright size, with the watermark placed in
// output pixels; resizing applies before the quarter turn's exchange of width and height.
TEST_P(RenderOrientationTest, UprightWithWatermarks) {
    const int orientation = GetParam();
    ov::test::TempDir dir;
    const auto path = dir / "photo.jpg";
    ov::test::writeOrientedPhoto(path, 320, 240, orientation, "[Q=95,strip]");
    auto source = ImageSource::createWithURL(path);
    ASSERT_TRUE(source);

    auto plain = CGImageCreateWatermarkedImageWithPreset(source, nullptr);
    ASSERT_TRUE(plain);
    expectUprightPicture(*plain, 320, 240, "plain " + std::to_string(orientation));

    auto preset = presetWith({filledSquare({100, 40, 20, 20})});
    preset->setShouldResize(true);
    preset->setResizeMethod(OVResizeMethodPercentage);
    preset->setResizeValue(50);
    auto image = CGImageCreateWatermarkedImageWithPreset(source, preset);
    ASSERT_TRUE(image);
    expectUprightPicture(*image, 160, 120, "resized " + std::to_string(orientation));
    const auto red = image->colorAt(110, 50);
    EXPECT_GT(red.red, 0.95);
    EXPECT_LT(red.green + red.blue, 0.05);
    EXPECT_LT(image->colorAt(125, 50).red, 0.9); // just right of the square: the picture
}

INSTANTIATE_TEST_SUITE_P(AllTags, RenderOrientationTest, testing::Range(1, 9));

// Pixellate watermarks sample the clean picture; the render's other watermarks do not show in
// the mosaic even when drawn below it.
TEST(RenderTest, PixellateSamplesTheCleanPicture) {
    ov::test::TempDir dir;
    ov::test::writeOrientedPhoto(dir / "p.png", 200, 100, 0);
    auto source = ImageSource::createWithURL(dir / "p.png");
    auto pixellate = OVPixellateWatermark::pixellateWatermark();
    pixellate->setOrigin({0, 0});
    pixellate->setSize({200, 100});
    auto preset = presetWith({filledSquare({0, 0, 60, 60}), pixellate});
    auto image = CGImageCreateWatermarkedImageWithPreset(source, preset);
    ASSERT_TRUE(image);
    // The mosaic covers everything; the red square under it is gone.
    EXPECT_LT(image->colorAt(10, 10).red, 0.5);
}

TEST(RenderTest, OddInputsRenderAndDamagedOnesGiveNull) {
    ov::test::TempDir dir;
    for (const auto& format : ov::test::writeOddFormats(dir.path(), 80, 60)) {
        auto image =
            CGImageCreateWatermarkedImageWithPreset(ImageSource::createWithURL(dir / format.name),
                                                    presetWith({filledSquare({5, 5, 10, 10})}));
        ASSERT_TRUE(image) << format.name;
        EXPECT_EQ(image->width(), 80) << format.name;
        EXPECT_GT(image->colorAt(10, 10).red, 0.95) << format.name;
    }
    const std::string bytes = ov::test::readFile(dir / "flat.tif");
    auto cut = ImageSource::createWithURL(
        ov::test::writeFile(dir / "cut.tif", bytes.substr(0, bytes.size() / 2)));
    if (cut) {
        EXPECT_EQ(CGImageCreateWatermarkedImageWithPreset(cut, nullptr), nullptr);
    }
    EXPECT_EQ(ImageSource::createWithURL(ov::test::writeFile(dir / "zero.jpg", "")), nullptr);
    EXPECT_EQ(CGImageCreateWatermarkedImageWithPreset(nullptr, presetWith({})), nullptr);
}

TEST(RenderHelpersTest, SizesOrientationThumbnailsAndContexts) {
    EXPECT_EQ(ov_CGImageSourceGetSize(nullptr), (ov::Size{0, 0}));
    EXPECT_EQ(ov_CGImageSourceGetOrientation(nullptr), 0u);
    ov::test::TempDir dir;
    ov::test::writeOrientedPhoto(dir / "o6.jpg", 300, 200, 6);
    auto source = ImageSource::createWithURL(dir / "o6.jpg");
    EXPECT_EQ(ov_CGImageSourceGetSize(source), (ov::Size{200, 300})); // stored, not upright
    EXPECT_EQ(ov_CGImageSourceGetOrientation(source), 6u);

    // (0.5, 0, 100, 50) made integral is (0, 0, 101, 50): longest side 101.
    auto thumbnail = createCGImageThumbnailForRect(source, {{0.5, 0}, {100, 50}});
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->width(), 101);
    EXPECT_EQ(thumbnail->height(), 67);

    auto context = CGContextCreateWithCGImageForSize(thumbnail, 100.9, 50.2);
    ASSERT_TRUE(context);
    EXPECT_EQ(context->width(), 100);
    EXPECT_EQ(context->height(), 50);
    EXPECT_EQ(CGContextCreateWithCGImageForSize(thumbnail, 500, 50), nullptr); // rows too short
    EXPECT_EQ(CGContextCreateWithCGImageForSize(thumbnail, 0, 50), nullptr);
    auto same = CGContextCreateWithCGImage(thumbnail);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->width(), 101);
    EXPECT_EQ(CGContextCreateWithCGImage(nullptr), nullptr);
}

// Several renders and encodes at once, each with its own preset, as a batch export runs them.
TEST(RenderConcurrencyTest, ParallelRendersAgree) {
    ov::test::TempDir dir;
    for (int o = 1; o <= 8; ++o) {
        ov::test::writeOrientedPhoto(dir / (std::to_string(o) + ".jpg"), 160, 120, o,
                                     "[Q=95,strip]");
    }
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int o = 1 + t % 2; o <= 8; o += 2) {
                auto source = ImageSource::createWithURL(dir / (std::to_string(o) + ".jpg"));
                auto image = CGImageCreateWatermarkedImageWithPreset(
                    source, presetWith({filledSquare({10, 10, 8, 8})}));
                const auto properties = propertiesForImageSource(source, true);
                if (!image || image->width() != 160 || image->height() != 120 || !properties ||
                    ov::encodeImage(*image, "public.jpeg", &*properties).empty()) {
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
