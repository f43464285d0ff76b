// A tiled mark repeats over the whole picture, in the bitmap render and in the streamed export.

#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/imaging/OVWatermarkedPicture.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/presets/OVPreset.h"
#include "support/EveryKindPreset.h"

#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

// Taller than one band of the streamed drawing, so that copies cross strips.
constexpr int kWidth = 700;
constexpr int kHeight = 1300;
constexpr double kSide = 20;
constexpr ov::Point kCentre{110, 110}; // of the mark, y up

struct TileCase {
    const char* label;
    bool offsetRows;
    double angle;
    bool streamed;
};

class TiledMarkTest : public testing::TestWithParam<TileCase> {};

// The picture of a white photo with a red 20-pixel square tiled at spacing 1 (a 40-pixel grid),
// as (red, green) levels by pixel (x, y from the top).
struct Levels {
    vips::VImage image;
    std::pair<double, double> at(double x, double y) const {
        const auto pixel = image.getpoint(static_cast<int>(std::lround(x)),
                                          static_cast<int>(std::lround(kHeight - y)));
        return {pixel[0], pixel[1]};
    }
};

Levels render(const ov::test::TempDir& dir, const TileCase& c) {
    const auto photo = dir / "white.png";
    (vips::VImage::black(kWidth, kHeight, vips::VImage::option()->set("bands", 3)) + 255)
        .cast(VIPS_FORMAT_UCHAR)
        .write_to_file(photo.c_str());
    auto square =
        ov::test::filledSquare({kCentre.x - kSide / 2, kCentre.y - kSide / 2, kSide, kSide});
    square->setTiling(
        {.enabled = true, .spacing = 1, .offsetRows = c.offsetRows, .angle = c.angle});
    auto preset = std::make_shared<OVPreset>();
    preset->setWatermarks({square});
    const auto source = ov::ImageSource::createWithURL(photo);
    const auto out = dir / "tiled.png";
    auto destination = ov::ImageDestination::createWithURL(out, "public.png");
    if (c.streamed)
        destination->addPicture(std::move(*OVWatermarkedPictureWithPreset(source, preset)),
                                nullptr);
    else
        destination->addImage(CGImageCreateWatermarkedImageWithPreset(source, preset), nullptr);
    EXPECT_TRUE(destination->finalize());
    return {vips::VImage::new_from_file(out.c_str(),
                                        vips::VImage::option()->set("access", "sequential"))
                .copy_memory()};
}

TEST_P(TiledMarkTest, CoversEveryGridPosition) {
    const TileCase& c = GetParam();
    ov::test::TempDir dir;
    const Levels levels = render(dir, c);
    const double turn = -c.angle * std::numbers::pi / 180;
    const ov::Point u{40 * std::cos(turn), 40 * std::sin(turn)};
    const ov::Point v{-40 * std::sin(turn), 40 * std::cos(turn)};
    int copies = 0;
    for (int j = -60; j <= 60; ++j) {
        for (int i = -60; i <= 60; ++i) {
            const double shift = c.offsetRows && (j % 2 != 0) ? 0.5 : 0;
            const double x = kCentre.x + (i + shift) * u.x + j * v.x;
            const double y = kCentre.y + (i + shift) * u.y + j * v.y;
            // The gap between this copy and its neighbours across and down.
            const double gx = x + (u.x + v.x) / 2, gy = y + (u.y + v.y) / 2;
            if (x < 3 || y < 3 || x > kWidth - 3 || y > kHeight - 3)
                continue;
            ++copies;
            const auto [red, green] = levels.at(x, y);
            ASSERT_TRUE(red > 240 && green < 20) << "no copy at " << x << "," << y;
            if (gx > 3 && gy > 3 && gx < kWidth - 3 && gy < kHeight - 3) {
                const auto gap = levels.at(gx, gy);
                ASSERT_TRUE(gap.first > 240 && gap.second > 240) << "no gap at " << gx << "," << gy;
            }
        }
    }
    EXPECT_GT(copies, 400);
}

INSTANTIATE_TEST_SUITE_P(Grids, TiledMarkTest,
                         testing::Values(TileCase{"squareGrid", false, 0, false},
                                         TileCase{"offsetRows", true, 0, false},
                                         TileCase{"diagonal", false, -30, false},
                                         TileCase{"squareGridStreamed", false, 0, true},
                                         TileCase{"diagonalOffsetStreamed", true, -30, true}),
                         [](const testing::TestParamInfo<TileCase>& info) {
                             return info.param.label;
                         });

} // namespace
