#include "inkstead/platform/imageio/ImageSource.h"

#include "support/GeneratedPhotos.h"
#include "support/PixelProbes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ov::ImageSource;

using ov::test::expectUprightPicture;

class OrientationTest : public testing::TestWithParam<int> {};

// Every orientation tag decodes to the upright picture, at full size and shrunk.
TEST_P(OrientationTest, DecodesUpright) {
    const int orientation = GetParam();
    ov::test::TempDir dir;
    const auto path = dir / "photo.jpg";
    ov::test::writeOrientedPhoto(path, 240, 160, orientation, "[Q=95,strip]");
    auto source = ImageSource::createWithURL(path);
    ASSERT_TRUE(source);
    const auto properties = source->properties();
    const bool turned = orientation >= 5;
    EXPECT_EQ(properties.integer(ov::kOVPropertyPixelWidth), turned ? 160 : 240);
    EXPECT_EQ(properties.integer(ov::kOVPropertyPixelHeight), turned ? 240 : 160);
    if (orientation != 0) {
        EXPECT_EQ(properties.integer(ov::kOVPropertyOrientation), orientation);
    } else {
        EXPECT_FALSE(properties.contains(ov::kOVPropertyOrientation));
    }

    auto full = source->createThumbnail(1000); // never enlarged
    ASSERT_TRUE(full);
    expectUprightPicture(*full, 240, 160, "full " + std::to_string(orientation));
    auto small = source->createThumbnail(120);
    ASSERT_TRUE(small);
    expectUprightPicture(*small, 120, 80, "thumbnail " + std::to_string(orientation));

    // Exact size, stretched: the decode fills the given buffer.
    auto canvas = ov::Image::createNative(60, 60);
    ASSERT_TRUE(source->decodeOriented(60, 60, canvas->mutableData(), canvas->bytesPerRow()));
    expectUprightPicture(*canvas, 60, 60, "stretched " + std::to_string(orientation));
}

INSTANTIATE_TEST_SUITE_P(AllTags, OrientationTest, testing::Range(0, 9));

// The shared photographs: each, decoded upright, shows the same picture as the untagged one.
TEST(ImageSourceTest, RealPhotographsComeOutUpright) {
    OV_REQUIRE_TESTDATA();
    for (const std::string kind : {"Landscape", "Portrait"}) {
        auto reference =
            ImageSource::createWithURL(ov::test::testDataDir() / "orientation" / (kind + "_1.jpg"));
        ASSERT_TRUE(reference) << kind;
        auto expected = reference->createThumbnail(200);
        ASSERT_TRUE(expected);
        for (int o = 0; o <= 8; ++o) {
            auto source = ImageSource::createWithURL(ov::test::testDataDir() / "orientation" /
                                                     (kind + "_" + std::to_string(o) + ".jpg"));
            ASSERT_TRUE(source) << kind << o;
            auto image = source->createThumbnail(200);
            ASSERT_TRUE(image) << kind << o;
            ASSERT_EQ(image->width(), expected->width()) << kind << o;
            ASSERT_EQ(image->height(), expected->height()) << kind << o;
            double difference = 0;
            int samples = 0;
            for (int y = 5; y < image->height(); y += 17) {
                for (int x = 5; x < image->width(); x += 17) {
                    const auto a = image->colorAt(x, y);
                    const auto b = expected->colorAt(x, y);
                    difference += std::abs(a.red - b.red) + std::abs(a.green - b.green) +
                                  std::abs(a.blue - b.blue);
                    ++samples;
                }
            }
            EXPECT_LT(difference / samples, 0.06) << kind << "_" << o;
        }
    }
}

// Formats and pixel layouts other than 8-bit RGB all decode to the same native picture.
TEST(ImageSourceTest, OddFormatsDecode) {
    ov::test::TempDir dir;
    for (const auto& [name, hasAlpha] : ov::test::writeOddFormats(dir.path(), 64, 48)) {
        auto source = ImageSource::createWithURL(dir / name);
        ASSERT_TRUE(source) << name;
        auto image = source->createThumbnail(64);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->width(), 64) << name;
        EXPECT_EQ(image->height(), 48) << name;
        // Bottom-right corner: red and green high, unless gray.
        const auto corner = image->colorAt(60, 2);
        if (name == "gray.png") {
            EXPECT_NEAR(corner.red, corner.green, 0.02) << name;
        } else {
            EXPECT_GT(corner.red, 0.85) << name;
            EXPECT_GT(corner.green, 0.8) << name;
        }
        EXPECT_NEAR(corner.alpha, hasAlpha ? 200.0 / 255 : 1.0, 0.02) << name;
    }
    const auto properties = ImageSource::createWithURL(dir / "deep.png")->properties();
    EXPECT_EQ(properties.integer(ov::kOVPropertyDepth), 16);
    EXPECT_EQ(ImageSource::createWithURL(dir / "cmyk.jpg")
                  ->properties()
                  .string(ov::kOVPropertyColorModel),
              "CMYK");
}

// Damaged files open (their header may be fine) but decode to null, never crash.
TEST(ImageSourceTest, DamagedFilesGiveNull) {
    ov::test::TempDir dir;
    const auto good = dir / "good.jpg";
    ov::test::writeOrientedPhoto(good, 300, 200, 6);
    const std::string bytes = ov::test::readFile(good);
    for (std::size_t keep : {bytes.size() / 2, std::size_t{600}, std::size_t{3}}) {
        const auto cut = dir / ("cut" + std::to_string(keep) + ".jpg");
        ov::test::writeFile(cut, bytes.substr(0, keep));
        auto source = ImageSource::createWithURL(cut);
        if (source) {
            EXPECT_EQ(source->createThumbnail(100), nullptr) << keep;
            auto canvas = ov::Image::createNative(50, 50);
            EXPECT_FALSE(
                source->decodeOriented(50, 50, canvas->mutableData(), canvas->bytesPerRow()))
                << keep;
        }
    }
    // From bytes: the same decoding as from a file.
    auto fromData = ImageSource::createWithData(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    ASSERT_TRUE(fromData);
    EXPECT_EQ(fromData->type(), "public.jpeg");
    auto image = fromData->createThumbnail(150);
    ASSERT_TRUE(image);
    expectUprightPicture(*image, 150, 100, "from bytes");
    EXPECT_EQ(fromData->createThumbnail(0), nullptr);
    EXPECT_EQ(fromData->createThumbnail(NAN), nullptr);
}

} // namespace
