#include "inkstead/platform/gfx/Path.h"

#include <gtest/gtest.h>

namespace {

using ov::Path;
using ov::Point;
using ov::Rect;

TEST(Path, RectAndEllipseContainment) {
    const Path rect = Path::withRect({0, 0, 10, 10});
    EXPECT_TRUE(rect.containsPoint({5, 5}));
    EXPECT_FALSE(rect.containsPoint({11, 5}));

    const Path ellipse = Path::withEllipseInRect({0, 0, 20, 10});
    EXPECT_TRUE(ellipse.containsPoint({10, 5}));
    EXPECT_TRUE(ellipse.containsPoint({19, 5}));
    EXPECT_FALSE(ellipse.containsPoint({1, 1})); // corner of the box, outside the ellipse
    EXPECT_EQ(ellipse.boundingBox(), Rect(0, 0, 20, 10));
    EXPECT_TRUE(Path().boundingBox().isNull());
}

TEST(Path, WindingRules) {
    // Two squares turning the same way: non-zero fills the inner one, even-odd leaves a hole.
    Path nested = Path::withRect({0, 0, 30, 30});
    nested.addRect({10, 10, 10, 10});
    EXPECT_TRUE(nested.containsPoint({15, 15}));
    EXPECT_FALSE(nested.containsPoint({15, 15}, true));
    EXPECT_TRUE(nested.containsPoint({5, 15}, true));

    // An open subpath counts as closed for filling.
    Path triangle;
    triangle.moveTo({0, 0});
    triangle.addLineTo({10, 0});
    triangle.addLineTo({0, 10});
    EXPECT_TRUE(triangle.containsPoint({2, 2}));
    EXPECT_FALSE(triangle.containsPoint({8, 8}));
}

TEST(Path, StrokedCopyCoversTheLineAtHalfTheWidth) {
    Path line;
    line.moveTo({0, 0});
    line.addLineTo({100, 0});
    const Path butt = line.strokedCopy(10);
    EXPECT_TRUE(butt.containsPoint({50, 4.9}));
    EXPECT_TRUE(butt.containsPoint({50, -4.9}));
    EXPECT_FALSE(butt.containsPoint({50, 5.1}));
    EXPECT_FALSE(butt.containsPoint({-2, 0}));

    const Path round = line.strokedCopy(10, ov::LineCap::round);
    EXPECT_TRUE(round.containsPoint({-4, 0}));
    EXPECT_FALSE(round.containsPoint({-4, 4}));
    EXPECT_TRUE(line.strokedCopy(10, ov::LineCap::square).containsPoint({-4, 4}));
    EXPECT_TRUE(line.strokedCopy(0).isEmpty());
}

TEST(Path, StrokedCopyJoinsCorners) {
    Path corner;
    corner.moveTo({0, 0});
    corner.addLineTo({50, 0});
    corner.addLineTo({50, 50});
    // The outer corner square (52, -2)–(55, -5) is filled only by a miter join.
    EXPECT_TRUE(corner.strokedCopy(10).containsPoint({54, -4}));
    EXPECT_FALSE(
        corner.strokedCopy(10, ov::LineCap::butt, ov::LineJoin::bevel).containsPoint({54, -4}));
    EXPECT_FALSE(
        corner.strokedCopy(10, ov::LineCap::butt, ov::LineJoin::round).containsPoint({54.5, -4.5}));
    // The inside of the closed square outline stays empty.
    const Path outline = Path::withRect({0, 0, 40, 40}).strokedCopy(4);
    EXPECT_TRUE(outline.containsPoint({1, 20}));
    EXPECT_FALSE(outline.containsPoint({20, 20}));
}

TEST(Path, TransformAndEquality) {
    const Path moved =
        Path::withRect({0, 0, 1, 1}).transformed(ov::AffineTransform::makeTranslation(5, 5));
    EXPECT_EQ(moved, Path::withRect({5, 5, 1, 1}));
    EXPECT_FALSE(moved == Path::withRect({5, 5, 1, 2}));
    Path combined;
    combined.addPath(moved);
    EXPECT_EQ(combined, moved);
}

} // namespace
