// Outline, background plate and automatic colour of text marks, read back from drawn pixels.

#include "KindsCanvas.h"

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

using kinds_test::isBlack;
using kinds_test::isWhite;
using kinds_test::near;

constexpr double kFontSize = 200;
constexpr ov::Color kRed{1, 0, 0, 1};
constexpr ov::Color kBlue{0, 0, 1, 1};

// A black "H" at 200 points drawn on a 600 × 400 white canvas, at (100, 100).
struct Drawn {
    std::shared_ptr<OVTextWatermark> text = OVTextWatermark::textWatermark();
    ov::ImagePtr image;
    ov::Rect ink; ///< of the glyph alone, canvas pixels (y up)

    template <class Style> explicit Drawn(Style style) {
        text->setStringValue("H");
        text->setFontSize(kFontSize);
        text->setShouldUseRelativePosition(false);
        text->setOrigin({100, 100});
        style(*text);
        text->setBounds({0, 0, 600, 400});
        image = kinds_test::drawnOnWhite(*text, 600, 400);
        ink = text->inkRect();
    }
    ov::Color at(double x, double y) const {
        return image->colorAt(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    }
};

TEST(TextLegibility, OutlineSurroundsTheGlyphsAtItsWidth) {
    const Drawn drawn([](OVTextWatermark& t) {
        t.setOutlineWidth(0.05); // 10 pixels
        t.setOutlineColor(kRed);
    });
    const double y = drawn.ink.midY() - 30; // through the left stem, below the bar
    // Left of the stem's edge: 10 pixels of outline, then white; right of it: the glyph.
    const double edge = drawn.ink.minX();
    EXPECT_TRUE(near(drawn.at(edge - 5, y), kRed, 0.05));
    EXPECT_TRUE(isWhite(drawn.at(edge - 13, y)));
    EXPECT_TRUE(isBlack(drawn.at(edge + 5, y)));
    const Drawn plain([](OVTextWatermark&) {});
    EXPECT_TRUE(isWhite(plain.at(edge - 5, y)));
}

// A plate spreads 20 pixels (its padding) around the glyph, square or with rounded corners.
TEST(TextLegibility, PlateSpreadsByItsPaddingWithItsCorners) {
    for (const auto& [radius, cornerCovered] : {std::pair{0.0, true}, {0.1, false}}) {
        const Drawn drawn([&](OVTextWatermark& t) {
            t.setPlateColor(kBlue);
            t.setPlateOpacity(1);
            t.setPlatePadding(0.1);
            t.setPlateCornerRadius(radius);
        });
        const ov::Rect glyph = drawn.ink;
        EXPECT_TRUE(near(drawn.at(glyph.minX() - 10, glyph.midY()), kBlue));
        EXPECT_TRUE(isWhite(drawn.at(glyph.minX() - 25, glyph.midY())));
        EXPECT_TRUE(isBlack(drawn.at(glyph.minX() + 5, glyph.midY() - 30)));
        const ov::Color corner = drawn.at(glyph.minX() - 19, glyph.minY() - 19);
        EXPECT_TRUE(cornerCovered ? near(corner, kBlue) : isWhite(corner)) << radius;
    }
}

// A backdrop of `level` grey on its left half and `right` on its right half.
ov::ImagePtr backdrop(std::uint8_t left, std::uint8_t right) {
    constexpr int kSide = 64;
    std::vector<std::uint8_t> pixels(kSide * kSide * 4);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const std::uint8_t level = x < kSide / 2 ? left : right;
            std::uint8_t* p = &pixels[(y * kSide + x) * 4];
            p[0] = p[1] = p[2] = level;
            p[3] = 255;
        }
    return ov::Image::create(kSide, kSide, kSide * 4, ov::kNativeBitmapInfo, std::move(pixels));
}

// Grey levels of the backdrop's left half (under the mark) and right half, and whether black
// stands out there.
TEST(TextLegibility, AutomaticColourPicksTheOneThatStandsOut) {
    const std::tuple<std::uint8_t, std::uint8_t, bool> cases[] = {
        {230, 230, true}, {25, 25, false}, {20, 250, false}, {250, 20, true}};
    for (const auto& [left, right, black] : cases) {
        SCOPED_TRACE(int(left));
        const Drawn drawn([&](OVTextWatermark& t) {
            t.setFontColor(ov::Color{1, 0, 0, 0.8});
            t.setUsesAutomaticColor(true);
            t.setBackdropSample(backdrop(left, right));
        });
        ASSERT_LT(drawn.text->frame().maxX(), 300);
        const auto color = drawn.text->drawnColor();
        ASSERT_TRUE(color);
        EXPECT_EQ(*color, black ? ov::Color::black(0.8) : ov::Color::white(0.8));
        const ov::Color stem = drawn.at(drawn.ink.minX() + 5, drawn.ink.midY() - 30);
        EXPECT_NEAR(stem.red, black ? 0.2 : 1.0, 0.03);
    }
}

} // namespace
