// Placement by anchor, margin and size: the drawn ink keeps the margin from the anchor's edges
// on landscape, portrait and square images, for every anchor, margin unit and size rule.

#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"
#include "support/PixelProbes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

struct InkBox {
    double left = 0, bottom = 0, right = 0, top = 0; // gaps to the image edges, in pixels
    double width = 0;
};

// Renders the watermark alone on a transparent image and measures the box of its ink.
InkBox renderedInk(OVWatermark& mark, int width, int height) {
    auto context = ov::GraphicsContext::createBitmap(width, height);
    mark.setBounds({0, 0, double(width), double(height)});
    mark.renderInContext(*context);
    const auto box =
        ov::test::pixelBox(*context->makeImage(), [](const ov::Color& c) { return c.alpha > 0.3; });
    if (box.empty())
        return {};
    return {double(box.minX), double(box.minY), double(width - 1 - box.maxX),
            double(height - 1 - box.maxY), double(box.width())};
}

std::shared_ptr<OVWatermark> filledBox() {
    auto shape = OVShapeWatermark::shapeWatermark();
    shape->setSize({120, 60});
    shape->setStrokeThickness(0);
    shape->setFillColor(ov::Color::black());
    return shape;
}

std::shared_ptr<OVWatermark> glyphs() {
    auto text = OVTextWatermark::textWatermark();
    text->setStringValue("Hg");
    return text;
}

struct ImageShape {
    const char* name;
    int width, height;
};

struct Rule {
    const char* name;
    OVPlacementSizeRule rule;
    double size;
};

void expectInkAt(const InkBox& ink, const OVPlacement& placement, double margin, double tolerance,
                 const std::string& where) {
    ASSERT_GT(ink.width, 0) << where << ": something is drawn";
    switch (placement.horizontalSide()) {
    case -1:
        EXPECT_NEAR(ink.left, margin, tolerance) << where;
        break;
    case 1:
        EXPECT_NEAR(ink.right, margin, tolerance) << where;
        break;
    default:
        EXPECT_NEAR(ink.left, ink.right, 2 * tolerance) << where << ": centred";
    }
    switch (placement.verticalSide()) {
    case -1:
        EXPECT_NEAR(ink.bottom, margin, tolerance) << where;
        break;
    case 1:
        EXPECT_NEAR(ink.top, margin, tolerance) << where;
        break;
    default:
        EXPECT_NEAR(ink.bottom, ink.top, 2 * tolerance) << where << ": centred";
    }
}

class Placement : public testing::TestWithParam<ImageShape> {};

} // namespace

TEST_P(Placement, EveryAnchorMarginAndSizeRuleOnABox) {
    const ImageShape image = GetParam();
    const double shorter = std::min(image.width, image.height);
    const double longer = std::max(image.width, image.height);
    const Rule rules[] = {{"width", OVPlacementSizeRule::WidthFraction, 0.2},
                          {"longer", OVPlacementSizeRule::LongerSideFraction, 0.2},
                          {"shorter", OVPlacementSizeRule::ShorterSideFraction, 0.3},
                          {"pixels", OVPlacementSizeRule::Pixels, 90}};
    const std::pair<OVPlacementMarginUnit, double> margins[] = {
        {OVPlacementMarginUnit::ShorterSideFraction, 0.05}, {OVPlacementMarginUnit::Pixels, 12}};
    for (int anchor = 0; anchor < 9; ++anchor)
        for (const auto& [unit, margin] : margins)
            for (const Rule& rule : rules) {
                OVPlacement placement{static_cast<OVPlacementAnchor>(anchor), unit, margin,
                                      rule.rule, rule.size};
                auto mark = filledBox();
                mark->setPlacement(placement);
                const InkBox ink = renderedInk(*mark, image.width, image.height);
                const std::string where = std::string(OVPlacementAnchorName(placement.anchor)) +
                                          (unit == OVPlacementMarginUnit::Pixels ? " px " : " % ") +
                                          rule.name;
                const double gap =
                    unit == OVPlacementMarginUnit::Pixels ? margin : margin * shorter;
                expectInkAt(ink, placement, gap, 1, where);
                const double expected =
                    rule.rule == OVPlacementSizeRule::WidthFraction        ? rule.size * image.width
                    : rule.rule == OVPlacementSizeRule::LongerSideFraction ? rule.size * longer
                    : rule.rule == OVPlacementSizeRule::ShorterSideFraction ? rule.size * shorter
                                                                            : rule.size;
                EXPECT_NEAR(ink.width, expected, 1) << where;
            }
}

// A text's frame keeps spare room at its right and bottom and the fonts' space above the
// glyphs: the glyphs, not the frame, keep the margin.
TEST_P(Placement, TextInkKeepsTheMarginAtEveryAnchor) {
    const ImageShape image = GetParam();
    for (int anchor = 0; anchor < 9; ++anchor) {
        const OVPlacement placement{static_cast<OVPlacementAnchor>(anchor),
                                    OVPlacementMarginUnit::ShorterSideFraction, 0.04,
                                    OVPlacementSizeRule::LongerSideFraction, 0.25};
        auto mark = glyphs();
        mark->setPlacement(placement);
        const InkBox ink = renderedInk(*mark, image.width, image.height);
        expectInkAt(ink, placement, 0.04 * std::min(image.width, image.height), 1.5,
                    OVPlacementAnchorName(placement.anchor).data());
    }
}

INSTANTIATE_TEST_SUITE_P(Images, Placement,
                         testing::Values(ImageShape{"landscape", 600, 400},
                                         ImageShape{"portrait", 400, 600},
                                         ImageShape{"square", 500, 500}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Placement, LongerSideRuleGivesOneSizeOnPortraitAndLandscape) {
    const OVPlacement placement{OVPlacementAnchor::TopLeft,
                                OVPlacementMarginUnit::ShorterSideFraction, 0.03,
                                OVPlacementSizeRule::LongerSideFraction, 0.2};
    auto landscape = glyphs(), portrait = glyphs();
    landscape->setPlacement(placement);
    portrait->setPlacement(placement);
    EXPECT_NEAR(renderedInk(*landscape, 600, 400).width, renderedInk(*portrait, 400, 600).width, 1);
}

// A margin of exactly 0 and a width of exactly the image's need no nudging: the relative data
// say explicitly that they are computed.
TEST(Placement, ZeroMarginAndFullWidthAreExact) {
    auto mark = filledBox();
    mark->setPlacement(OVPlacement{OVPlacementAnchor::TopRight, OVPlacementMarginUnit::Pixels, 0,
                                   OVPlacementSizeRule::WidthFraction, 1.0});
    const InkBox ink = renderedInk(*mark, 300, 200);
    EXPECT_EQ(ink.right, 0);
    EXPECT_EQ(ink.top, 0);
    EXPECT_EQ(ink.width, 300);
    EXPECT_TRUE(mark->isRelativePositionComputed());
    EXPECT_TRUE(mark->isRelativeSizeComputed());
    EXPECT_EQ(mark->relativeSize().width, 1.0);
}

// The placement travels in keys that readers of the base record skip; a record without them
// (written before placements existed) decodes as it always did.
TEST(Placement, ArchivedUnderAdditionalKeys) {
    auto mark = filledBox();
    const OVPlacement placement{OVPlacementAnchor::Bottom, OVPlacementMarginUnit::Pixels, 7,
                                OVPlacementSizeRule::ShorterSideFraction, 0.4};
    mark->setPlacement(placement);
    ov::KeyedArchiver coder;
    coder.encodeObject(mark, "root");
    ov::KeyedUnarchiver reader(coder.encodedData());
    const auto decoded = reader.decodeObjectOfClass<OVWatermark>("root");
    ASSERT_TRUE(decoded);
    ASSERT_TRUE(decoded->placement());
    EXPECT_EQ(*decoded->placement(), placement);
    EXPECT_EQ(renderedInk(*decoded, 640, 480).bottom, renderedInk(*mark, 640, 480).bottom);

    // Moving by hand gives up the placement for the relative data.
    decoded->offsetOriginByX(5, 5);
    EXPECT_FALSE(decoded->placement());
}

TEST(Placement, InvalidPlacementsAreIgnored) {
    auto mark = filledBox();
    mark->setPlacement(OVPlacement{OVPlacementAnchor::Center,
                                   OVPlacementMarginUnit::ShorterSideFraction, -1,
                                   OVPlacementSizeRule::Unchanged, 0});
    EXPECT_FALSE(mark->placement());
    mark->setPlacement(OVPlacement{OVPlacementAnchor::Center,
                                   OVPlacementMarginUnit::ShorterSideFraction, 0.1,
                                   OVPlacementSizeRule::Pixels, 0});
    EXPECT_FALSE(mark->placement());
}
