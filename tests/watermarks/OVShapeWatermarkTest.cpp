#include "inkstead/watermarks/OVShapeWatermark.h"

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "support/PixelProbes.h"

#include <gtest/gtest.h>

namespace {

constexpr ov::Color kRed{1, 0, 0, 1};
constexpr ov::Color kBlue{0, 0, 1, 1};

// A shape with a red fill and a blue outline on a 400 × 300 image.
std::shared_ptr<OVShapeWatermark> makeShape(OVShapeType type, ov::Rect frame, double thickness) {
    auto shape = OVShapeWatermark::shapeWatermark();
    shape->setShapeType(type);
    shape->setOrigin(frame.origin);
    shape->setSize(frame.size);
    shape->setFillColor(kRed);
    shape->setStrokeColor(kBlue);
    shape->setStrokeThickness(thickness);
    shape->setBounds({0, 0, 400, 300});
    return shape;
}

ov::ImagePtr render(OVWatermark& watermark) {
    auto context = ov::GraphicsContext::createBitmap(400, 300);
    watermark.renderInContext(*context);
    return context->makeImage();
}

// Pixel (x, y) counted from the bottom left, as in the drawing space.
bool isColor(const ov::Image& image, int x, int y, ov::Color expected, double tolerance = 0.02) {
    return ov::test::colorNear(image.colorAt(x, y), expected, tolerance);
}

bool isClear(const ov::Image& image, int x, int y) {
    return image.colorAt(x, y).alpha < 0.01;
}

int paintedPixels(const ov::Image& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += isClear(image, x, y) ? 0 : 1;
    return count;
}

} // namespace

TEST(ShapeRendering, RectangleIsFilledAndOutlinedAcrossTheFrameEdge) {
    // A 100 × 50 frame at (50, 50) with a 10-unit outline: 5 units outside, 5 inside.
    auto image = render(*makeShape(OVShapeTypeSquare, {50, 50, 100, 50}, 10));
    EXPECT_TRUE(isColor(*image, 100, 75, kRed));   // centre
    EXPECT_TRUE(isColor(*image, 52, 75, kBlue));   // inside half of the left outline
    EXPECT_TRUE(isColor(*image, 46, 75, kBlue));   // outside half
    EXPECT_TRUE(isClear(*image, 44, 75));          // beyond the outline
    EXPECT_TRUE(isColor(*image, 100, 103, kBlue)); // top outline, outside half
    EXPECT_TRUE(isClear(*image, 100, 106));        // a rectangle, not a 100 × 100 square
    EXPECT_TRUE(isColor(*image, 154, 75, kBlue));
    EXPECT_TRUE(isClear(*image, 156, 75));
}

TEST(ShapeRendering, CircleIsTheEllipseInscribedInTheFrame) {
    auto image = render(*makeShape(OVShapeTypeCircle, {50, 50, 100, 50}, 2));
    EXPECT_TRUE(isColor(*image, 100, 75, kRed));
    EXPECT_TRUE(isColor(*image, 140, 75, kRed)); // wide: reaches far right at mid-height
    EXPECT_TRUE(isClear(*image, 53, 53));        // frame corners lie outside the ellipse
    EXPECT_TRUE(isClear(*image, 146, 96));
    EXPECT_TRUE(isColor(*image, 100, 99, kBlue, 0.3)); // outline at the top of the ellipse
    EXPECT_TRUE(isClear(*image, 100, 102));
}

TEST(ShapeRendering, LineDashAlternatesPaintedAndUnpaintedFromThePathStart) {
    auto dashed = makeShape(OVShapeTypeSquare, {50, 50, 100, 50}, 2);
    dashed->setFillColor(ov::Color::clear());
    dashed->setLineDash(5);
    auto image = render(*dashed);
    // The bottom edge starts at the frame's lower-left corner: 50–55 painted, 55–60 not, …
    for (int x : {52, 62, 72, 92})
        EXPECT_TRUE(isColor(*image, x, 50, kBlue)) << x;
    for (int x : {57, 67, 77, 97})
        EXPECT_TRUE(isClear(*image, x, 50)) << x;

    dashed->setLineDash(0);
    auto solid = render(*dashed);
    for (int x = 52; x < 148; ++x)
        EXPECT_TRUE(isColor(*solid, x, 50, kBlue)) << x;
}

TEST(ShapeRendering, AlphaFadesTheShape) {
    auto shape = makeShape(OVShapeTypeSquare, {50, 50, 100, 50}, 2);
    shape->setAlpha(0.5);
    EXPECT_TRUE(isColor(*render(*shape), 100, 75, {1, 0, 0, 0.5}));
}

TEST(ShapeRendering, SelectionFrameAndHandlesOnlyWhenEditable) {
    auto shape = makeShape(OVShapeTypeSquare, {100, 100, 200, 100}, 2);
    shape->setStrokeColor(std::nullopt); // no figure: only the decorations can appear
    EXPECT_EQ(paintedPixels(*render(*shape)), 0);

    shape->setEditable(true);
    auto image = render(*shape);
    // Handle: light grey-to-white square centred on each corner.
    for (ov::Point corner : {ov::Point{100, 100}, {300, 100}, {100, 200}, {300, 200}}) {
        const ov::Color c = image->colorAt(int(corner.x), int(corner.y));
        EXPECT_GT(c.red, 0.9);
        EXPECT_NEAR(c.red, c.blue, 0.01);
        EXPECT_NEAR(c.alpha, 1, 0.01);
    }
    // Dashed blue frame along the bottom edge: some pixels blue, some left clear.
    const ov::Color blue{0.0, 0.737, 0.952, 1};
    int dashes = 0, gaps = 0;
    for (int x = 120; x < 280; ++x) {
        dashes += isColor(*image, x, 100, blue, 0.05) ? 1 : 0;
        gaps += isClear(*image, x, 100) ? 1 : 0;
    }
    EXPECT_GT(dashes, 40);
    EXPECT_GT(gaps, 40);
    EXPECT_TRUE(isClear(*image, 200, 150)); // nothing inside
}

TEST(ShapeRendering, NothingAtAllWhenInvisibleZeroBoundsOrUnknownType) {
    auto hidden = makeShape(OVShapeTypeSquare, {50, 50, 100, 50}, 2);
    hidden->setEditable(true);
    hidden->setVisible(false);
    EXPECT_EQ(paintedPixels(*render(*hidden)), 0);

    auto unplaced = OVShapeWatermark::squareShapeWatermark();
    unplaced->setEditable(true);
    EXPECT_EQ(paintedPixels(*render(*unplaced)), 0);

    auto unknown = makeShape(static_cast<OVShapeType>(7), {50, 50, 100, 50}, 2);
    EXPECT_EQ(paintedPixels(*render(*unknown)), 0);
}
