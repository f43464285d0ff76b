#include "platform/imageio/ImageSource.h"

#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace {

using ov::ImageSource;

// Colour of the upright picture at (x, y), y downwards, as uprightPicture() draws it.
struct Probe {
    double fx, fy; // position as fractions of the width and height, y downwards
};

void expectUpright(const ov::Image& image, int width, int height, const std::string& label) {
    ASSERT_EQ(image.width(), width) << label;
    ASSERT_EQ(image.height(), height) << label;
    const Probe probes[] = {{0.19, 0.19}, {0.9, 0.1}, {0.1, 0.9}, {0.9, 0.9}, {0.5, 0.5}};
    for (const auto& p : probes) {
        const int x = static_cast<int>(p.fx * width);
        const int yDown = static_cast<int>(p.fy * height);
        const auto c = image.colorAt(x, height - 1 - yDown);
        const bool inMark = p.fx >= 0.125 && p.fx < 0.25 && p.fy >= 0.125 && p.fy < 0.25;
        const double red = inMark ? 5 : 255.0 * x / (width - 1);
        const double green = inMark ? 5 : 255.0 * yDown / (height - 1);
        EXPECT_NEAR(c.red * 255, red, 14) << label << " at " << p.fx << "," << p.fy;
        EXPECT_NEAR(c.green * 255, green, 14) << label << " at " << p.fx << "," << p.fy;
        EXPECT_NEAR(c.alpha, 1.0, 1e-6) << label;
    }
}

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
    expectUpright(*full, 240, 160, "full " + std::to_string(orientation));
    auto small = source->createThumbnail(120);
    ASSERT_TRUE(small);
    expectUpright(*small, 120, 80, "thumbnail " + std::to_string(orientation));

    // Exact size, stretched: the decode fills the given buffer.
    auto canvas = ov::Image::createNative(60, 60);
    ASSERT_TRUE(source->decodeOriented(60, 60, canvas->mutableData(), canvas->bytesPerRow()));
    expectUpright(*canvas, 60, 60, "stretched " + std::to_string(orientation));
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
    auto picture = ov::test::uprightPicture(64, 48);
    struct Case {
        std::string name;
        vips::VImage image;
    };
    auto withAlpha = picture.bandjoin_const({200});
    std::vector<Case> cases{
        {"cmyk.jpg", picture.colourspace(VIPS_INTERPRETATION_CMYK)},
        {"gray.png", picture.colourspace(VIPS_INTERPRETATION_B_W)},
        {"deep.png", picture.colourspace(VIPS_INTERPRETATION_RGB16)},
        {"planar.tif", picture},
        {"alpha.webp", withAlpha},
    };
    for (auto& c : cases) {
        c.image.write_to_file((dir / c.name).c_str());
    }
    // A palette PNG with transparency.
    withAlpha.write_to_file(((dir / "palette.png").string() + "[palette,bitdepth=8]").c_str());
    cases.push_back({"palette.png", withAlpha});

    for (const auto& c : cases) {
        auto source = ImageSource::createWithURL(dir / c.name);
        ASSERT_TRUE(source) << c.name;
        auto image = source->createThumbnail(64);
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->width(), 64) << c.name;
        EXPECT_EQ(image->height(), 48) << c.name;
        // Bottom-right corner: red and green high, unless gray.
        const auto corner = image->colorAt(60, 2);
        if (c.name == "gray.png") {
            EXPECT_NEAR(corner.red, corner.green, 0.02) << c.name;
        } else {
            EXPECT_GT(corner.red, 0.85) << c.name;
            EXPECT_GT(corner.green, 0.8) << c.name;
        }
        const double alpha = c.image.has_alpha() ? 200.0 / 255 : 1.0;
        EXPECT_NEAR(corner.alpha, alpha, 0.02) << c.name;
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
    std::ifstream in(good, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    for (std::size_t keep : {bytes.size() / 2, std::size_t{600}, std::size_t{3}}) {
        const auto cut = dir / ("cut" + std::to_string(keep) + ".jpg");
        std::ofstream(cut, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(keep));
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
    expectUpright(*image, 150, 100, "from bytes");
    EXPECT_EQ(fromData->createThumbnail(0), nullptr);
    EXPECT_EQ(fromData->createThumbnail(NAN), nullptr);
}

} // namespace
