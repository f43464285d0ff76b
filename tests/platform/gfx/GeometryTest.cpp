#include "inkstead/platform/gfx/Geometry.h"

#include "support/PixelProbes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

using ov::AffineTransform;
using ov::Point;
using ov::Rect;

TEST(Rect, ContainsIsHalfOpen) {
    const std::tuple<Rect, Point, bool> cases[] = {
        {{0, 0, 10, 10}, {0, 0}, true},     {{0, 0, 10, 10}, {10, 5}, false},
        {{0, 0, 10, 10}, {5, 10}, false},   {{0, 0, 10, 10}, {9.999, 9.999}, true},
        {{10, 10, -10, -10}, {5, 5}, true}, // standardised
        {{0, 0, 0, 10}, {0, 5}, false},     {Rect::null(), {0, 0}, false},
    };
    for (const auto& [rect, point, inside] : cases)
        EXPECT_EQ(rect.contains(point), inside) << point.x << "," << point.y;
}

TEST(Rect, InsetUnionAndIntersection) {
    EXPECT_EQ(Rect(10, 10, 20, 20).insetBy(2, 3), Rect(12, 13, 16, 14));
    EXPECT_EQ(Rect(10, 10, 20, 20).insetBy(-5, -5), Rect(5, 5, 30, 30));
    EXPECT_EQ(Rect(30, 30, -20, -20).insetBy(1, 1), Rect(11, 11, 18, 18));

    EXPECT_EQ(Rect(0, 0, 10, 10).united({20, 5, 5, 10}), Rect(0, 0, 25, 15));
    EXPECT_EQ(Rect(0, 0, 10, 10).united({100, 100, 0, 0}), Rect(0, 0, 10, 10));
    EXPECT_EQ(Rect(100, 100, 0, 5).united({0, 0, 10, 10}), Rect(0, 0, 10, 10));
    EXPECT_EQ(Rect::null().united({1, 2, 3, 4}), Rect(1, 2, 3, 4));

    EXPECT_EQ(Rect(0, 0, 10, 10).intersection({5, 5, 10, 10}), Rect(5, 5, 5, 5));
    EXPECT_TRUE(Rect(0, 0, 10, 10).intersection({20, 20, 5, 5}).isNull());
    EXPECT_FALSE(Rect(0, 0, 10, 10).intersects({10, 0, 5, 5})); // touching edges
    EXPECT_EQ(Rect(0.5, 1.2, 2, 2).integral(), Rect(0, 1, 3, 3));
}

TEST(Rect, ApplyingTransformGivesTheBoundingBoxOfTheCorners) {
    const Rect r = Rect(0, 0, 10, 20).applying(AffineTransform::makeRotation(M_PI / 2));
    EXPECT_NEAR(r.minX(), -20, 1e-9);
    EXPECT_NEAR(r.minY(), 0, 1e-9);
    EXPECT_NEAR(r.width(), 20, 1e-9);
    EXPECT_NEAR(r.height(), 10, 1e-9);
    EXPECT_EQ(Rect(1, 2, 3, 4).applying(AffineTransform::makeTranslation(10, 20)),
              Rect(11, 22, 3, 4));
    EXPECT_TRUE(Rect::null().applying(AffineTransform::makeScale(2, 2)).isNull());
}

TEST(AffineTransform, ConcatAppliesTheFirstThenTheSecond) {
    const AffineTransform scale = AffineTransform::makeScale(2, 2);
    const AffineTransform move = AffineTransform::makeTranslation(10, 0);
    EXPECT_EQ(Point(1, 1).applying(concat(scale, move)), (Point{12, 2}));
    EXPECT_EQ(Point(1, 1).applying(concat(move, scale)), (Point{22, 2}));
    // translated/scaled prepend their step: it acts before the transform.
    EXPECT_EQ(Point(1, 1).applying(scale.translated(10, 0)), (Point{22, 2}));
    EXPECT_EQ(Point(1, 1).applying(move.scaled(2, 2)), (Point{12, 2}));
    const Point r = Point(1, 0).applying(AffineTransform::identity().rotated(M_PI / 2));
    ov::test::expectNear(r, {0, 1}, 1e-12); // counter-clockwise in the y-up space
}

TEST(AffineTransform, InverseUndoesAndSingularStaysAsIs) {
    const AffineTransform t =
        concat(AffineTransform::makeRotation(0.3), AffineTransform{2, 0, 0.5, 3, 7, -4});
    const Point p = Point(3, 5).applying(t).applying(t.inverted());
    ov::test::expectNear(p, {3, 5}, 1e-12);
    const AffineTransform singular = AffineTransform::makeScale(0, 1);
    EXPECT_EQ(singular.inverted(), singular);
    EXPECT_EQ((ov::Size{2, 3}.applying(AffineTransform{1, 0, 0, 1, 50, 50})), (ov::Size{2, 3}));
}

} // namespace
