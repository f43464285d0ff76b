#include "inkstead/appearance/OVStyleKit.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QPixmap>

#include <string>

namespace {

using Icon = OVStyleKit::Icon;

class Icons : public testing::TestWithParam<Icon> {};

// Drawn with a margin around it, an icon covers some pixels of its own rectangle and none of
// the margin.
TEST_P(Icons, DrawInsideTheirSizeOnly) {
    const Icon icon = GetParam();
    const ov::Size size = OVStyleKit::size(icon);
    constexpr int margin = 4, scale = 2;
    const int w = static_cast<int>(size.width) * scale, h = static_cast<int>(size.height) * scale;
    auto ctx = ov::GraphicsContext::createBitmap(w + 2 * margin, h + 2 * margin);
    ctx->translateCTM(margin, margin);
    ctx->scaleCTM(scale, scale);
    OVStyleKit::draw(icon, *ctx);
    EXPECT_EQ(ctx->stateDepth(), 0);
    const ov::ImagePtr picture = ctx->makeImage();

    int inside = 0, outside = 0;
    for (int y = 0; y < picture->height(); ++y) {
        for (int x = 0; x < picture->width(); ++x) {
            if (picture->colorAt(x, y).alpha == 0)
                continue;
            const bool in = x >= margin && x < margin + w && y >= margin && y < margin + h;
            ++(in ? inside : outside);
        }
    }
    EXPECT_GT(inside, w * h / 40) << "hardly anything drawn";
    EXPECT_EQ(outside, 0);
}

// The cached bitmap has the icon's size times the scale and is made once; the QIcon offers
// both scales.
TEST_P(Icons, AreCachedAtEachScale) {
    const Icon icon = GetParam();
    const ov::Size size = OVStyleKit::size(icon);
    const ov::ImagePtr twice = OVStyleKit::image(icon, 2);
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->width(), static_cast<int>(size.width) * 2);
    EXPECT_EQ(twice->height(), static_cast<int>(size.height) * 2);
    EXPECT_EQ(OVStyleKit::image(icon, 2), twice);

    const QIcon qicon = OVStyleKit::qIcon(icon);
    const QSize points(static_cast<int>(size.width), static_cast<int>(size.height));
    EXPECT_EQ(qicon.pixmap(points, 1.0).size(), points);
    EXPECT_EQ(qicon.pixmap(points, 2.0).size(), points * 2);
}

INSTANTIATE_TEST_SUITE_P(
    All, Icons, testing::ValuesIn(OVStyleKit::allIcons().begin(), OVStyleKit::allIcons().end()),
    [](const auto& info) { return std::string(OVStyleKit::name(info.param)); });

// Plain "add" icons are grey; their highlighted twins use the highlight colour.
TEST(AddIcons, PlainAreGreyAndHighlightedAreInTheHighlightColour) {
    const ov::Color& blue = OVStyleKit::highlightControlColor();
    for (Icon icon : OVStyleKit::allIcons()) {
        const std::string name(OVStyleKit::name(icon));
        if (!name.starts_with("add"))
            continue;
        const bool highlighted = name.ends_with("Highlighted");
        const ov::ImagePtr picture = OVStyleKit::image(icon, 1);
        int grey = 0, highlight = 0;
        for (int y = 0; y < picture->height(); ++y) {
            for (int x = 0; x < picture->width(); ++x) {
                const ov::Color c = picture->colorAt(x, y);
                if (c.alpha < 0.9)
                    continue;
                if (std::abs(c.red - c.green) < 0.02 && std::abs(c.green - c.blue) < 0.02)
                    ++grey;
                else if (std::abs(c.red - blue.red) < 0.02 && std::abs(c.blue - blue.blue) < 0.02)
                    ++highlight;
            }
        }
        if (highlighted) {
            EXPECT_GT(highlight, 10) << name;
            EXPECT_EQ(grey, 0) << name;
        } else {
            EXPECT_GT(grey, 10) << name;
            EXPECT_EQ(highlight, 0) << name;
        }
    }
}

} // namespace
