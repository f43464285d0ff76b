// Marks given in percent of the image land at the same relative place and size on photos of
// any size and orientation, checked on the pixels of the rendered files.

#include "ExportTestPhotos.h"
#include "PresetsTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using clitest::PixelBox;
using clitest::Store;
using ov::test::TempDir;

namespace {

struct Photo {
    const char* name;
    int width, height; // upright
    int orientation;
};

class MarkPlacement : public testing::TestWithParam<Photo> {
protected:
    // Renders the preset "P" over the photo of the row and returns the output, upright.
    ov::ImagePtr render(const Store& store, const TempDir& dir) {
        const Photo& photo = GetParam();
        clitest::writeTestPhoto(
            dir / "photo.jpg",
            {.width = photo.width, .height = photo.height, .orientation = photo.orientation});
        store.ok({"render", (dir / "photo.jpg").string(), (dir / "out.png").string(), "--preset",
                  "P", "-q"});
        auto image = clitest::decodeUpright(dir / "out.png");
        EXPECT_TRUE(image);
        if (image) {
            EXPECT_EQ(image->width(), photo.width);
            EXPECT_EQ(image->height(), photo.height);
        }
        return image;
    }
};

constexpr ov::Color kMagenta{1, 0, 1, 1};
constexpr ov::Color kCyan{0, 1, 1, 1};

} // namespace

TEST_P(MarkPlacement, LogoAtAFifthOfTheWidthThreePercentFromTheBottomRight) {
    TempDir dir;
    const Store store(dir / "home");
    clitest::writeLogo(dir / "logo.png", 600, 300, kMagenta);
    store.ok({"presets", "create", "P"});
    store.ok({"watermark", "add", "P", "image", (dir / "logo.png").string(), "--anchor",
              "bottom-right", "--width", "20%", "--margin", "3%"});

    const auto image = render(store, dir);
    ASSERT_TRUE(image);
    const double w = image->width(), h = image->height();
    const PixelBox box = clitest::boxOfColor(*image, kMagenta);
    ASSERT_GT(box.width, 0) << "the logo is drawn";
    EXPECT_NEAR(box.width, 0.2 * w, 2);
    EXPECT_NEAR(box.height, 0.1 * w, 2) << "the logo keeps its 2:1 shape";
    EXPECT_NEAR(w - (box.left + box.width), 0.03 * w, 2) << "gap to the right edge";
    EXPECT_NEAR(h - (box.top + box.height), 0.03 * h, 2) << "gap to the bottom edge";
}

TEST_P(MarkPlacement, ShapeCoversItsRectangleAndKeepsItsShape) {
    TempDir dir;
    const Store store(dir / "home");
    store.ok({"presets", "create", "P"});
    store.ok({"watermark", "add", "P", "shape", "--rect", "10%,20%,30%,15%", "--fill", "#00FFFF",
              "--stroke", "0"});

    const auto image = render(store, dir);
    ASSERT_TRUE(image);
    const double w = image->width(), h = image->height();
    const PixelBox box = clitest::boxOfColor(*image, kCyan);
    ASSERT_GT(box.width, 0);
    EXPECT_NEAR(box.left, 0.1 * w, 2);
    EXPECT_NEAR(box.top, 0.2 * h, 2);
    EXPECT_NEAR(box.width, 0.3 * w, 2);
    // Exact on a 3:2 landscape; elsewhere the area keeps its 3:1 proportion (30 % by 15 % of a
    // 3:2 image).
    EXPECT_NEAR(box.height, 0.3 * w / 3, 2);
}

TEST_P(MarkPlacement, TextAtTheTopLeftScalesWithTheImage) {
    TempDir dir;
    const Store store(dir / "home");
    store.ok({"presets", "create", "P"});
    store.ok({"watermark", "add", "P", "text", "WATERMARK", "--anchor", "top-left", "--margin",
              "5%", "--width", "40%", "--color", "#00FFFF"});

    const auto image = render(store, dir);
    ASSERT_TRUE(image);
    const double w = image->width(), h = image->height();
    const PixelBox box = clitest::boxOfColor(*image, kCyan, 60);
    ASSERT_GT(box.width, 0);
    // The frame is 40 % of the width from 5 % in; the glyphs sit inside it, less the side
    // bearings and the frame's 5 % allowance.
    EXPECT_GE(box.left, 0.05 * w - 1);
    EXPECT_LE(box.left, 0.05 * w + 0.03 * w);
    EXPECT_GE(box.width, 0.33 * w);
    EXPECT_LE(box.left + box.width, 0.45 * w + 1);
    EXPECT_GE(box.top, 0.05 * h - 1);
    EXPECT_LE(box.top, 0.05 * h + 0.05 * w);
}

INSTANTIATE_TEST_SUITE_P(Photos, MarkPlacement,
                         testing::Values(Photo{"landscape", 1200, 800, 1},
                                         Photo{"portraitStoredTurned", 800, 1200, 6},
                                         Photo{"smallSquare", 500, 500, 1}),
                         [](const auto& info) { return std::string(info.param.name); });
