#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/gfx/GraphicsContext_p.h"

#include "support/PixelProbes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using ov::Color;
using ov::GraphicsContext;
using ov::Rect;
using ov::test::expectGray;
using ov::test::whiteCanvas;

Color pixel(const GraphicsContext& ctx, int x, int y) {
    return ctx.makeImage()->colorAt(x, y);
}

double gray(const GraphicsContext& ctx, int x, int y) {
    return pixel(ctx, x, y).red;
}

constexpr double kTolerance = 2.0 / 255;

TEST(GraphicsContextBitmap, CreatesClearedNativePixelsAndRejectsBadSizes) {
    auto ctx = GraphicsContext::createBitmap(7, 3);
    ASSERT_TRUE(ctx);
    EXPECT_EQ(ctx->width(), 7);
    EXPECT_EQ(ctx->height(), 3);
    EXPECT_GE(ctx->bytesPerRow(), 28u);
    EXPECT_EQ(ctx->bitmapInfo(), ov::kNativeBitmapInfo);
    EXPECT_EQ(pixel(*ctx, 6, 2), Color::clear());
    EXPECT_FALSE(GraphicsContext::createBitmap(0, 10));
    EXPECT_FALSE(GraphicsContext::createBitmap(10, -1));
    EXPECT_FALSE(GraphicsContext::createBitmap(100000, 10));
}

TEST(GraphicsContextBitmap, RectAtOriginLandsInBottomLeftCorner) {
    auto ctx = whiteCanvas(40, 30);
    ctx->setFillColor(Color::black());
    ctx->fillRect({0, 0, 10, 10});
    expectGray(*ctx, {{0, 0, 0}, {9, 9, 0}, {10, 5, 1}, {5, 10, 1}});
    // In memory rows run top to bottom: the black square is in the last rows.
    const uint8_t* data = ctx->data();
    EXPECT_EQ(data[0], 255);
    EXPECT_EQ(data[(ctx->height() - 1) * ctx->bytesPerRow()], 0);
}

TEST(GraphicsContextBitmap, TakeImageHandsOverThePixelsWithoutCopying) {
    auto ctx = whiteCanvas(16, 8);
    const uint8_t* pixels = ctx->data();
    ov::ImagePtr image = ctx->takeImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->data(), pixels);
    EXPECT_EQ(image->width(), 16);
    EXPECT_NEAR(image->colorAt(3, 3).red, 1, kTolerance);
    // The emptied context takes further calls harmlessly.
    EXPECT_EQ(ctx->width(), 0);
    ctx->fillRect({0, 0, 5, 5});
    EXPECT_FALSE(ctx->takeImage());
    EXPECT_FALSE(ctx->writePNG("/nonexistent/x.png"));
}

TEST(GraphicsContextBitmap, SnapshotIsIndependentAndPngRoundTrips) {
    ov::test::TempDir dir;
    auto ctx = whiteCanvas(12, 12);
    ov::ImagePtr before = ctx->makeImage();
    ctx->setFillColor({1, 0, 0, 1});
    ctx->fillRect({0, 0, 6, 12});
    EXPECT_NEAR(before->colorAt(2, 2).green, 1, kTolerance);

    ASSERT_TRUE(ctx->writePNG(dir / "c.png"));
    ov::ImagePtr read = ov::Image::readPNG(dir / "c.png");
    ASSERT_TRUE(read);
    EXPECT_NEAR(read->colorAt(2, 2).green, 0, kTolerance);
    EXPECT_NEAR(read->colorAt(9, 2).green, 1, kTolerance);
    EXPECT_FALSE(ctx->writePNG(dir / "missing" / "c.png"));
}

TEST(GraphicsContextBitmap, DrawsIntoForeignPixelsWithTheirRowStride) {
    // 3 × 2 pixels in rows of 5 pixels: the padding must stay untouched.
    std::vector<uint32_t> pixels(5 * 2, 0x11223344);
    auto ctx =
        GraphicsContext::createWithData(reinterpret_cast<uint8_t*>(pixels.data()), 3, 2, 5 * 4);
    ASSERT_TRUE(ctx);
    EXPECT_NEAR(pixel(*ctx, 0, 0).alpha, 0x11 / 255.0, kTolerance); // kept, not cleared
    ctx->setFillColor(Color::black());
    ctx->fillRect({0, 0, 3, 1}); // the bottom row, which is the second in memory
    (void)ctx->data();
    EXPECT_EQ(pixels[5], 0xFF000000u);
    EXPECT_EQ(pixels[7], 0xFF000000u);
    EXPECT_EQ(pixels[8], 0x11223344u);
    EXPECT_EQ(pixels[0], 0x11223344u);
    // Taking the image copies: the foreign pixels stay drawable.
    auto image = ctx->takeImage();
    ASSERT_TRUE(image);
    EXPECT_NE(image->data(), reinterpret_cast<uint8_t*>(pixels.data()));
    EXPECT_EQ(ctx->width(), 3);
    EXPECT_FALSE(GraphicsContext::createWithData(nullptr, 3, 2, 12));
    EXPECT_FALSE(GraphicsContext::createWithData(reinterpret_cast<uint8_t*>(pixels.data()), 3, 2,
                                                 8)); // rows too short
}

// Global alpha must reach every kind of operation, not only path fills.
TEST(GraphicsContextAlpha, MultipliesFillsImagesGradientsStrokesLayersAndPlatformDrawing) {
    auto black = GraphicsContext::createBitmap(4, 4);
    black->setFillColor(Color::black());
    black->fillRect({0, 0, 4, 4});
    ov::ImagePtr blackImage = black->makeImage();

    const std::vector<std::pair<std::string, std::function<void(GraphicsContext&)>>> ops = {
        {"fill",
         [](GraphicsContext& c) {
             c.fillRect({0, 0, 20, 20});
         }},
        {"image",
         [&](GraphicsContext& c) {
             c.drawImage({0, 0, 20, 20}, *blackImage);
         }},
        {"gradient",
         [](GraphicsContext& c) {
             c.drawLinearGradient({{Color::black(), Color::black()}, {}}, {0, 0}, {0, 20});
         }},
        {"stroke",
         [](GraphicsContext& c) {
             c.setLineWidth(40);
             c.moveTo({10, -10});
             c.addLineTo({10, 30});
             c.strokePath();
         }},
        {"fillStroke",
         [](GraphicsContext& c) {
             c.setLineWidth(4);
             c.addRect({2, 2, 16, 16});
             c.drawPath(ov::PathDrawingMode::fillStroke);
         }},
        {"layer",
         [](GraphicsContext& c) {
             c.beginTransparencyLayer();
             c.fillRect({0, 0, 20, 20});
             c.fillRect({0, 0, 20, 20});
             c.endTransparencyLayer();
         }},
        {"platform",
         [](GraphicsContext& c) {
             ov::detail::drawOperation(c, [](cairo_t* cr) {
                 cairo_set_source_rgb(cr, 0, 0, 0);
                 cairo_rectangle(cr, 0, 0, 20, 20);
                 cairo_fill(cr);
             });
         }},
    };
    for (const auto& [name, op] : ops) {
        SCOPED_TRACE(name);
        auto ctx = whiteCanvas(20, 20);
        ctx->setFillColor(Color::black());
        ctx->setStrokeColor(Color::black());
        ctx->setAlpha(0.5);
        op(*ctx);
        expectGray(*ctx, {{10, 10, 0.5}, {3, 3, 0.5}});
    }
}

// A black line 4 wide along y = 5 across a white canvas.
std::unique_ptr<GraphicsContext> dashedLine(int width, double phase, std::vector<double> lengths) {
    auto ctx = whiteCanvas(width, 10);
    ctx->setStrokeColor(Color::black());
    ctx->setLineWidth(4);
    ctx->setLineDash(phase, std::move(lengths));
    ctx->moveTo({0, 5});
    ctx->addLineTo({double(width), 5});
    ctx->strokePath();
    return ctx;
}

TEST(GraphicsContextStroke, DashAlternatesPaintedAndEmptyRuns) {
    auto ctx = dashedLine(60, 0, {5});
    for (int run = 0; run < 12; ++run) {
        SCOPED_TRACE(run);
        const double expected = run % 2 == 0 ? 0 : 1;
        expectGray(*ctx, {{run * 5 + 1, 5, expected}, {run * 5 + 3, 5, expected}});
    }
}

TEST(GraphicsContextStroke, EmptyOrInvalidDashDrawsSolid) {
    for (const std::vector<double>& lengths :
         {std::vector<double>{}, {0.0, 0.0}, {-3.0, 2.0}, {NAN}}) {
        SCOPED_TRACE(testing::PrintToString(lengths));
        expectGray(*dashedLine(30, 1, lengths), {{1, 5, 0}, {10, 5, 0}, {19, 5, 0}, {28, 5, 0}});
    }
}

TEST(GraphicsContextStroke, LineWidthScalesWithTheTransform) {
    auto ctx = whiteCanvas(40, 40);
    ctx->setStrokeColor(Color::black());
    ctx->scaleCTM(4, 4);
    ctx->setLineWidth(2); // 8 device pixels
    ctx->moveTo({0, 5});
    ctx->addLineTo({10, 5});
    ctx->strokePath();
    expectGray(*ctx, {{10, 17, 0}, {10, 23, 0}, {10, 25, 1}, {10, 14, 1}});
}

TEST(GraphicsContextClip, ConfinesDrawingUntilRestore) {
    auto ctx = whiteCanvas(40, 40);
    ctx->setFillColor(Color::black());
    ctx->saveGState();
    ctx->clipToRect({10, 10, 10, 10});
    EXPECT_EQ(ctx->clipBoundingBox(), Rect(10, 10, 10, 10));
    ctx->fillRect({0, 0, 40, 40});
    expectGray(*ctx, {{15, 15, 0}, {5, 15, 1}, {25, 25, 1}});
    ctx->restoreGState();
    EXPECT_EQ(ctx->clipBoundingBox(), Rect(0, 0, 40, 40));

    // A path clip, with the current path consumed by it.
    ctx->addEllipseInRect({20, 0, 20, 20});
    ctx->clip();
    EXPECT_TRUE(ctx->isPathEmpty());
    ctx->setFillColor({1, 0, 0, 1});
    ctx->fillRect({0, 0, 40, 40});
    EXPECT_NEAR(pixel(*ctx, 30, 10).green, 0, kTolerance);
    EXPECT_NEAR(pixel(*ctx, 21, 1).green, 1, kTolerance);
}

TEST(GraphicsContextState, RestorePopsExactlyWhatSaveSaved) {
    auto ctx = GraphicsContext::createBitmap(10, 10);
    ctx->saveGState();
    ctx->setAlpha(0.3);
    ctx->translateCTM(5, 5);
    ctx->setInterpolationQuality(ov::InterpolationQuality::none);
    ctx->setTextMatrix(ov::AffineTransform::makeScale(2, 2));
    ctx->saveGState();
    ctx->setAlpha(0.7);
    ctx->scaleCTM(2, 2);
    EXPECT_EQ(ctx->stateDepth(), 2);
    ctx->restoreGState();
    EXPECT_EQ(ctx->alpha(), 0.3);
    EXPECT_EQ(ctx->getCTM(), ov::AffineTransform::makeTranslation(5, 5));
    ctx->restoreGState();
    EXPECT_EQ(ctx->alpha(), 1.0);
    EXPECT_TRUE(ctx->getCTM().isIdentity());
    EXPECT_EQ(ctx->interpolationQuality(), ov::InterpolationQuality::defaultQuality);
    EXPECT_TRUE(ctx->textMatrix().isIdentity());
    ctx->restoreGState(); // unmatched: ignored
    EXPECT_EQ(ctx->stateDepth(), 0);
}

TEST(GraphicsContextState, ConcatPrependsToTheCurrentTransform) {
    auto ctx = whiteCanvas(40, 40);
    ctx->translateCTM(20, 0);
    ctx->scaleCTM(2, 2);
    EXPECT_EQ(ctx->getCTM(), (ov::AffineTransform{2, 0, 0, 2, 20, 0}));
    ctx->setFillColor(Color::black());
    ctx->fillRect({0, 0, 5, 5}); // device (20, 0)-(30, 10)
    expectGray(*ctx, {{21, 1, 0}, {29, 9, 0}, {19, 1, 1}});
}

TEST(GraphicsContextState, SingularTransformDrawsNothingAndRecoversOnRestore) {
    auto ctx = whiteCanvas(10, 10);
    ctx->setFillColor(Color::black());
    ctx->saveGState();
    ctx->scaleCTM(0, 1);
    ctx->fillRect({0, 0, 10, 10});
    ctx->restoreGState();
    expectGray(*ctx, {{5, 5, 1}});
    ctx->fillRect({0, 0, 10, 10});
    expectGray(*ctx, {{5, 5, 0}});
}

TEST(GraphicsContextShadow, DarkensJustOutsideTheShapeAndFadesWithDistance) {
    auto ctx = whiteCanvas(100, 100);
    ctx->setShadowWithColor({0, 0}, 7, Color::black(1));
    ctx->setFillColor({1, 1, 1, 1});
    ctx->fillRect({30, 30, 40, 40});
    // The shape itself is white; the shadow shows only around it.
    EXPECT_NEAR(gray(*ctx, 50, 50), 1, kTolerance);
    const double d1 = gray(*ctx, 71, 50), d3 = gray(*ctx, 73, 50), d6 = gray(*ctx, 76, 50);
    const double far = gray(*ctx, 90, 50);
    EXPECT_LT(d1, 0.8);
    EXPECT_LT(d1, d3);
    EXPECT_LT(d3, d6);
    EXPECT_NEAR(far, 1, kTolerance);
    // Soft, not a hard copy: no step from dark to white between neighbouring pixels.
    EXPECT_GT(d1, 0.3);
}

TEST(GraphicsContextShadow, OffsetIsInDevicePixelsWhateverTheTransform) {
    auto ctx = whiteCanvas(60, 60);
    ctx->scaleCTM(2, 2);
    ctx->setShadowWithColor({5, 0}, 0, Color::black());
    ctx->setFillColor(Color::white());
    ctx->fillRect({10, 10, 10, 10}); // device (20, 20)-(40, 40), shadow to x = 45
    expectGray(*ctx, {{43, 30, 0}, {46, 30, 1}});
}

TEST(GraphicsContextShadow, PlatformDrawingCastsOneScaledByGlobalAlpha) {
    auto drawWith = [](double alpha) {
        auto ctx = whiteCanvas(60, 60);
        ctx->setAlpha(alpha);
        ctx->setShadowWithColor({0, -10}, 0, Color::black());
        ov::detail::drawOperation(*ctx, [](cairo_t* cr) {
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_rectangle(cr, 20, 30, 20, 20); // y-up: covers y 30..50
            cairo_fill(cr);
        });
        return gray(*ctx, 30, 25); // below the shape, inside its shadow
    };
    EXPECT_NEAR(drawWith(1.0), 0, kTolerance);
    EXPECT_NEAR(drawWith(0.5), 0.5, kTolerance);
}

TEST(GraphicsContextShadow, FollowsTheOffsetAndRespectsTheClip) {
    auto ctx = whiteCanvas(100, 100);
    ctx->setShadowWithColor({10, -10}, 0, Color::black());
    ctx->setFillColor({1, 0, 0, 1});
    ctx->saveGState();
    ctx->clipToRect({0, 0, 45, 100});
    ctx->fillRect({20, 40, 20, 20});
    ctx->restoreGState();
    // Hard shadow moved right and down (y-up offset), cut at the clip's right edge x = 45.
    // the red shape over its shadow
    expectGray(*ctx, {{42, 35, 0}, {47, 35, 1}, {25, 45, 1}});
    EXPECT_NEAR(pixel(*ctx, 25, 45).green, 0, kTolerance);
}

TEST(GraphicsContextShadow, ZeroAlphaColourOrNoColourTurnsItOff) {
    for (const std::optional<Color>& colour :
         {std::optional<Color>{}, std::optional{Color::clear()}}) {
        auto ctx = whiteCanvas(40, 40);
        ctx->setShadowWithColor({3, -3}, 4, colour);
        ctx->setFillColor({1, 1, 1, 1});
        ctx->fillRect({10, 10, 10, 10});
        expectGray(*ctx, {{22, 8, 1}});
    }
}

TEST(GraphicsContextGradient, RunsFromBottomColourToTopColourWithoutExtending) {
    auto ctx = GraphicsContext::createBitmap(10, 100);
    ov::Gradient g{{{0.8, 0.8, 0.8, 1}, Color::white()}, {}};
    ctx->drawLinearGradient(g, {0, 20}, {0, 80});
    EXPECT_NEAR(gray(*ctx, 5, 21), 0.8, 0.01);
    EXPECT_NEAR(gray(*ctx, 5, 50), 0.9, 0.01);
    EXPECT_NEAR(gray(*ctx, 5, 79), 1.0, 0.01);
    EXPECT_LT(gray(*ctx, 5, 30), gray(*ctx, 5, 60));
    EXPECT_EQ(pixel(*ctx, 5, 10).alpha, 0);
    EXPECT_EQ(pixel(*ctx, 5, 90).alpha, 0);
}

TEST(GraphicsContextImage, DrawsUprightAndFillsTheRect) {
    // Top half red, bottom half blue, in the y-up drawing space.
    auto src = GraphicsContext::createBitmap(4, 4);
    src->setFillColor({0, 0, 1, 1});
    src->fillRect({0, 0, 4, 2});
    src->setFillColor({1, 0, 0, 1});
    src->fillRect({0, 2, 4, 2});
    ov::ImagePtr image = src->takeImage();

    auto ctx = whiteCanvas(50, 50);
    ctx->setInterpolationQuality(ov::InterpolationQuality::none);
    ctx->drawImage({10, 10, 20, 30}, *image);
    EXPECT_EQ(pixel(*ctx, 15, 38), (Color{1, 0, 0, 1}));
    EXPECT_EQ(pixel(*ctx, 15, 11), (Color{0, 0, 1, 1}));
    EXPECT_EQ(pixel(*ctx, 10, 10), (Color{0, 0, 1, 1}));
    EXPECT_EQ(pixel(*ctx, 29, 39), (Color{1, 0, 0, 1}));
    EXPECT_EQ(pixel(*ctx, 9, 20), Color::white());
    EXPECT_EQ(pixel(*ctx, 30, 20), Color::white());
    EXPECT_EQ(pixel(*ctx, 20, 40), Color::white());
}

TEST(GraphicsContextImage, AcceptsNonNativeLayouts) {
    // Two pixels, half-transparent red then opaque green, as bytes R G B A (non-premultiplied).
    std::vector<uint8_t> bytes = {255, 0, 0, 128, 0, 255, 0, 255};
    auto image = ov::Image::create(2, 1, 8, static_cast<uint32_t>(ov::AlphaInfo::last), bytes);
    ASSERT_TRUE(image);
    auto ctx = whiteCanvas(20, 10);
    ctx->setInterpolationQuality(ov::InterpolationQuality::none);
    ctx->drawImage({0, 0, 20, 10}, *image);
    const Color left = pixel(*ctx, 5, 5), right = pixel(*ctx, 15, 5);
    EXPECT_NEAR(left.red, 1, kTolerance);
    EXPECT_NEAR(left.green, 0.5, kTolerance);
    EXPECT_EQ(right, (Color{0, 1, 0, 1}));
}

TEST(GraphicsContextPath, FillConsumesThePathButRectOperationsKeepIt) {
    auto ctx = whiteCanvas(20, 20);
    ctx->setFillColor(Color::black());
    ctx->addRect({0, 0, 5, 5});
    ctx->fillRect({15, 15, 5, 5});
    EXPECT_FALSE(ctx->isPathEmpty());
    ctx->fillPath();
    EXPECT_TRUE(ctx->isPathEmpty());
    expectGray(*ctx, {{2, 2, 0}, {17, 17, 0}});

    // Even-odd leaves the hole of a square inside a square.
    ctx->addRect({0, 0, 20, 20});
    ctx->addRect({5, 5, 10, 10});
    ctx->setFillColor({1, 0, 0, 1});
    ctx->eoFillPath();
    EXPECT_NEAR(pixel(*ctx, 10, 10).green, 1, kTolerance);
    EXPECT_NEAR(pixel(*ctx, 1, 10).green, 0, kTolerance);
}

TEST(GraphicsContextLayer, CompositesAsOneWithTheShadowOfTheWhole) {
    auto ctx = whiteCanvas(60, 60);
    ctx->setShadowWithColor({0, 0}, 0, Color::black());
    ctx->setAlpha(0.5);
    ctx->beginTransparencyLayer();
    EXPECT_EQ(ctx->alpha(), 1.0);
    ctx->setFillColor({1, 0, 0, 1});
    ctx->fillRect({10, 10, 20, 20});
    ctx->fillRect({20, 20, 20, 20}); // overlap is not darker than the rest
    ctx->restoreGState();            // cannot pop the layer's own state
    ctx->endTransparencyLayer();
    EXPECT_EQ(ctx->alpha(), 0.5);
    const Color single = pixel(*ctx, 12, 12), overlap = pixel(*ctx, 25, 25);
    EXPECT_NEAR(single.green, overlap.green, kTolerance);
    EXPECT_EQ(ctx->stateDepth(), 0);
}

// Bad numbers must never put the context in a state where later drawing silently fails.
TEST(GraphicsContextRobustness, HostileValuesLeaveTheContextUsable) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    auto ctx = whiteCanvas(20, 20);
    auto tiny = GraphicsContext::createBitmap(1, 1);
    ov::ImagePtr image = tiny->makeImage();

    ctx->setFillColor({nan, 2, -1, nan});
    ctx->fillRect({nan, 0, 5, 5});
    ctx->fillRect({0, 0, inf, 1e300});
    ctx->setLineWidth(nan);
    ctx->setMiterLimit(-inf);
    ctx->setAlpha(nan);
    ctx->setShadowWithColor({1e30, nan}, inf, Color::black());
    ctx->moveTo({inf, 0});
    ctx->addLineTo({0, nan});
    ctx->strokePath();
    ctx->drawImage({0, 0, 0, 10}, *image);
    ctx->drawImage({nan, 0, 10, 10}, *image);
    ctx->drawLinearGradient({{}, {}}, {0, 0}, {0, 10});
    ctx->drawLinearGradient({{Color::black()}, {}}, {3, 3}, {3, 3});
    ctx->concatCTM({nan, 0, 0, 1, 0, 0});
    ctx->fillRect({0, 0, 20, 20});
    ctx->endTransparencyLayer(); // without a begin
    ctx->restoreGState();
    ctx->concatCTM(ov::AffineTransform{nan, 0, 0, 1, 0, 0}.inverted());

    EXPECT_EQ(cairo_status(ov::detail::cairoContext(*ctx)), CAIRO_STATUS_SUCCESS);
    auto fresh = whiteCanvas(20, 20);
    fresh->setFillColor(Color::black());
    fresh->setShadowWithColor({1e30, 0}, 3, Color::black());
    fresh->fillRect({0, 0, 20, 20});
    expectGray(*fresh, {{10, 10, 0}});
    EXPECT_EQ(cairo_status(ov::detail::cairoContext(*fresh)), CAIRO_STATUS_SUCCESS);
}

} // namespace
