#include "inkstead/geometry/OVGeometry.h"

#include "inkstead/platform/gfx/CurrentContext.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "support/PixelProbes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

using ov::Point;
using ov::Rect;
using ov::Size;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(OVGeometry, RectFromSizeCenterAndCorners) {
    EXPECT_EQ(CGRectFromCGSize({-3, 4}), Rect(0, 0, -3, 4)); // kept as given, not standardised
    EXPECT_EQ(OVRectCenter({10, 20, 30, 40}), (Point{25, 40}));
    const OVRectCornerPoints c = OVRectCorners({10, 20, 30, 40});
    EXPECT_EQ(c.bottomLeft, (Point{10, 20}));
    EXPECT_EQ(c.topLeft, (Point{10, 60}));
    EXPECT_EQ(c.bottomRight, (Point{40, 20}));
    EXPECT_EQ(c.topRight, (Point{40, 60}));
    // A rectangle with negative size has the same corners as its standardised form.
    EXPECT_EQ(OVRectCorners({40, 60, -30, -40}), c);
}

TEST(OVGeometry, AspectFitIsTheLargestSizeWithTheAspectInsideTheBounds) {
    const std::tuple<Size, Size, Size> cases[] = {{{400, 200}, {100, 100}, {100, 50}},
                                                  {{200, 400}, {100, 100}, {50, 100}},
                                                  {{4, 3}, {800, 800}, {800, 600}},
                                                  {{30, 20}, {60, 40}, {60, 40}}};
    for (const auto& [aspect, bounds, expected] : cases) {
        const Size s = OVMakeSizeWithAspectRatioInsideSize(aspect, bounds);
        EXPECT_DOUBLE_EQ(s.width, expected.width);
        EXPECT_DOUBLE_EQ(s.height, expected.height);
    }
}

TEST(OVGeometry, AspectFitOfZeroSizesYieldsWhatTheRatioYields) {
    const Size s = OVMakeSizeWithAspectRatioInsideSize({100, 0}, {50, 50});
    EXPECT_DOUBLE_EQ(s.width, 50);
    EXPECT_DOUBLE_EQ(s.height, 0);
    EXPECT_TRUE(std::isnan(OVMakeSizeWithAspectRatioInsideSize({0, 0}, {50, 50}).width));
}

TEST(OVGeometry, SizeLargerThanSizeAsksWhetherTheSecondIsLarger) {
    EXPECT_TRUE(CGSizeLargerThanSize({100, 100}, {100, 101}));
    EXPECT_FALSE(CGSizeLargerThanSize({100, 100}, {100, 100}));
    EXPECT_TRUE(CGSizeLargerThanSize({100, 100}, {50, 200}));
    EXPECT_FALSE(CGSizeLargerThanSize({100, 101}, {100, 100}));
    EXPECT_FALSE(CGSizeLargerThanSize({100, 100}, {kNaN, kNaN}));
    EXPECT_TRUE(CGSizeLargerThanSize({kNaN, 100}, {50, 200}));
}

TEST(OVGeometry, RotateOnPointTurnsClockwiseAboutThePoint) {
    const ov::AffineTransform t = OVAffineTransformRotateOnPoint(90, {10, 10});
    const Point p = Point{20, 10}.applying(t);
    ov::test::expectNear(p, {10, 0}, 1e-12);
    const Point centre = Point{10, 10}.applying(t);
    ov::test::expectNear(centre, {10, 10}, 1e-12);

    const ov::AffineTransform zero = OVAffineTransformRotateOnPoint(0, {37, -5});
    for (double v : {zero.a - 1, zero.b, zero.c, zero.d - 1, zero.tx, zero.ty})
        EXPECT_NEAR(v, 0, 1e-12);
}

TEST(OVGeometry, ContextScaleIsTheHorizontalScaleOfTheTransform) {
    auto ctx = ov::GraphicsContext::createBitmap(8, 8);
    EXPECT_DOUBLE_EQ(OVContextGetScale(*ctx), 1.0);
    ctx->scaleCTM(2, 3);
    EXPECT_DOUBLE_EQ(OVContextGetScale(*ctx), 2.0);
    ctx->rotateCTM(0.7);
    EXPECT_NEAR(OVContextGetScale(*ctx), 2.0, 1e-12);
}

TEST(OVGeometry, SaveStateBracketRestoresEverythingSetInside) {
    auto ctx = ov::GraphicsContext::createBitmap(20, 20);
    int calls = 0;
    CGContextSaveStateWithCompletion(*ctx, [&] {
        ++calls;
        ctx->setLineWidth(9);
        ctx->setAlpha(0.2);
        ctx->translateCTM(4, 4);
        ctx->clipToRect({0, 0, 2, 2});
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ctx->stateDepth(), 0);
    EXPECT_EQ(ctx->alpha(), 1.0);
    EXPECT_TRUE(ctx->getCTM().isIdentity());
    EXPECT_EQ(ctx->clipBoundingBox(), Rect(0, 0, 20, 20));

    // The line width is back to 1: a stroked vertical line covers one pixel column only.
    ctx->setStrokeColor(ov::Color::black());
    ctx->moveTo({10, 0});
    ctx->addLineTo({10, 20});
    ctx->strokePath();
    ov::ImagePtr image = ctx->makeImage();
    EXPECT_GT(image->colorAt(9, 10).alpha, 0.4);
    EXPECT_EQ(image->colorAt(7, 10).alpha, 0);
}

TEST(OVGraphicsUtilities, PushMakesTheContextCurrentOnlyForTheBody) {
    auto outer = ov::GraphicsContext::createBitmap(4, 4);
    auto inner = ov::GraphicsContext::createBitmap(4, 4);
    ASSERT_EQ(ov::currentGraphicsContext(), nullptr);
    pushGraphicsContext(outer.get(), [&](ov::GraphicsContext* c) {
        EXPECT_EQ(c, outer.get());
        pushGraphicsContext(inner.get(), [&](ov::GraphicsContext* c2) {
            EXPECT_EQ(ov::currentGraphicsContext(), inner.get());
            // Another thread has its own current context.
            std::thread([] { EXPECT_EQ(ov::currentGraphicsContext(), nullptr); }).join();
        });
        EXPECT_EQ(ov::currentGraphicsContext(), outer.get());
    });
    EXPECT_EQ(ov::currentGraphicsContext(), nullptr);
}

// copyQuartzPath

class QuartzPathTest : public testing::Test {
protected:
    std::vector<ov::Path::ElementType> types(const ov::Path& p) {
        std::vector<ov::Path::ElementType> result;
        for (const auto& e : p.elements())
            result.push_back(e.type);
        return result;
    }

    ov::test::LogCapture log_;
};

using T = ov::Path::ElementType;

TEST_F(QuartzPathTest, EmptyPathGivesNothing) {
    EXPECT_FALSE(copyQuartzPath(ov::BezierPath{}).has_value());
    EXPECT_TRUE(log_.lines().empty());
}

TEST_F(QuartzPathTest, ClosesAnOpenPathOnceAndNeverTwice) {
    ov::BezierPath open;
    open.moveTo({0, 0});
    open.lineTo({10, 0});
    open.curveTo({10, 10}, {12, 2}, {12, 8});
    auto p = copyQuartzPath(open);
    ASSERT_TRUE(p);
    EXPECT_EQ(types(*p), (std::vector{T::moveToPoint, T::addLineToPoint, T::addCurveToPoint,
                                      T::closeSubpath}));
    // Control points keep their order: control 1, control 2, end.
    EXPECT_EQ(p->elements()[2].points[0], (Point{12, 2}));
    EXPECT_EQ(p->elements()[2].points[2], (Point{10, 10}));

    ov::BezierPath closed = open;
    closed.closePath();
    EXPECT_EQ(types(*copyQuartzPath(closed)).size(), 4u);

    ov::BezierPath moveAfterClose = closed;
    moveAfterClose.moveTo({50, 50});
    EXPECT_EQ(types(*copyQuartzPath(moveAfterClose)),
              (std::vector{T::moveToPoint, T::addLineToPoint, T::addCurveToPoint, T::closeSubpath,
                           T::moveToPoint}));
}

TEST_F(QuartzPathTest, UnknownKindsAreSkipped) {
    ov::BezierPath path;
    path.moveTo({0, 0});
    path.appendElement({9, {{5, 5}}});
    path.lineTo({1, 1});
    EXPECT_EQ(types(*copyQuartzPath(path)),
              (std::vector{T::moveToPoint, T::addLineToPoint, T::closeSubpath}));
}

TEST_F(QuartzPathTest, NonFiniteMovePointGivesNothingAndLogs) {
    for (Point bad : {Point{kNaN, 0}, Point{kInf, 0}, Point{0, -kInf}}) {
        log_.clear();
        ov::BezierPath path;
        path.moveTo({0, 0});
        path.lineTo({5, 5});
        path.moveTo(bad);
        EXPECT_FALSE(copyQuartzPath(path).has_value());
        EXPECT_EQ(log_.lines(),
                  std::vector<std::string>{"copyQuartzPath ERROR: NaN in path coordinates."});
    }
}

TEST_F(QuartzPathTest, NonFiniteLinePointIsPassedThrough) {
    ov::BezierPath path;
    path.moveTo({0, 0});
    path.lineTo({kNaN, 3});
    auto p = copyQuartzPath(path);
    ASSERT_TRUE(p);
    EXPECT_TRUE(std::isnan(p->elements()[1].points[0].x));
    EXPECT_TRUE(log_.lines().empty());
}

} // namespace
