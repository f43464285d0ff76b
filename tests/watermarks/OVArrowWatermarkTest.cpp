#include "inkstead/watermarks/OVArrowWatermark.h"

#include "KindsCanvas.h"

#include <cmath>

using namespace kinds_test;

TEST(ArrowWatermark, MovingAPointRebuildsRectangleAndDirection) {
    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setBeginPoint({300, 50});
    EXPECT_EQ(arrow->origin(), (ov::Point{200, 0}));
    EXPECT_EQ(arrow->size(), (ov::Size{100, 50}));
    EXPECT_FALSE(arrow->pointsRight());
    EXPECT_FALSE(arrow->pointsDown());
    EXPECT_EQ(arrow->beginPoint(), (ov::Point{300, 50}));
    EXPECT_EQ(arrow->endPoint(), (ov::Point{200, 0}));

    arrow->resizeByMovingHandle(OVWatermarkHandleBottomRight, {350, 90});
    EXPECT_EQ(arrow->endPoint(), (ov::Point{350, 90}));
    EXPECT_TRUE(arrow->pointsRight());
    EXPECT_TRUE(arrow->pointsDown());
    arrow->resizeByMovingHandle(OVWatermarkHandleTopRight, {0, 0}); // not a point handle
    EXPECT_EQ(arrow->beginPoint(), (ov::Point{300, 50}));
}

TEST(ArrowWatermark, HeadIsTurnedSlightlyOffTheShaft) {
    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setBeginPoint({0, 100});
    arrow->setEndPoint({100, 100});
    EXPECT_EQ(arrow->size(), (ov::Size{100, 0}));
    EXPECT_FALSE(arrow->pointsDown());
    const ov::BezierPath path = arrow->bezierPathForDrawing();
    ASSERT_EQ(path.elementCount(), 6);
    EXPECT_EQ(path.elementAt(0).points[0], (ov::Point{0, 100}));
    const ov::Point barb1 = path.elementAt(2).points[0];
    const ov::Point barb2 = path.elementAt(4).points[0];
    EXPECT_NEAR(barb1.x, 60.166, 1e-3);
    EXPECT_NEAR(barb1.y, 140.165, 1e-3);
    EXPECT_NEAR(barb2.x, 59.835, 1e-3);
    EXPECT_NEAR(barb2.y, 60.166, 1e-3);
    for (int i : {1, 3, 5})
        EXPECT_EQ(path.elementAt(i).points[0], (ov::Point{100, 100}));
}

TEST(ArrowWatermark, PointsFollowTheImageByFractions) {
    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setBounds({0, 0, 1000, 500});
    arrow->setBeginPoint({100, 50});
    arrow->setEndPoint({900, 450});
    EXPECT_EQ(arrow->relativeBeginning(), (ov::Size{0.1, 0.1}));
    EXPECT_EQ(arrow->relativeEnding(), (ov::Size{0.9, 0.9}));
    arrow->setBounds({0, 0, 2000, 1000});
    EXPECT_EQ(arrow->beginPoint(), (ov::Point{200, 100}));
    EXPECT_EQ(arrow->endPoint(), (ov::Point{1800, 900}));

    // Same bounds again: nothing happens, even after a move.
    arrow->setOrigin({0, 0});
    arrow->setBounds({0, 0, 2000, 1000});
    EXPECT_EQ(arrow->origin(), (ov::Point{0, 0}));

    // A point on the image's left edge switches re-placement off.
    auto edge = OVArrowWatermark::arrowWatermark();
    edge->setBounds({0, 0, 1000, 500});
    edge->setBeginPoint({0, 100});
    edge->setBounds({0, 0, 2000, 1000});
    EXPECT_EQ(edge->beginPoint(), (ov::Point{0, 100}));
    EXPECT_EQ(edge->endPoint(), (ov::Point{200, 0}));

    // Fractions survive a copy, which applies them once it gets bounds.
    auto copy = std::static_pointer_cast<OVArrowWatermark>(arrow->copy());
    EXPECT_TRUE(copy->isEqualToWatermark(arrow));
    EXPECT_EQ(copy->relativeEnding(), (ov::Size{0.9, 0.9}));
    copy->setBounds({0, 0, 100, 100});
    EXPECT_EQ(copy->endPoint(), (ov::Point{90, 90}));
}

TEST(ArrowWatermark, HitTestingByFrameHandlesAndOutline) {
    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setBounds({0, 0, 1000, 1000});
    arrow->setBeginPoint({100, 100});
    arrow->setEndPoint({300, 100});
    // Horizontal: the frame has no height, so only the stroked outline and handles count.
    EXPECT_TRUE(arrow->containsPoint({200, 103}, 1));
    EXPECT_FALSE(arrow->containsPoint({200, 107}, 1));
    EXPECT_TRUE(arrow->containsPoint({96, 100}, 1)); // begin handle, beyond the round cap
    EXPECT_EQ(arrow->handleUnderPoint({100, 100}, 1), OVWatermarkHandleTopLeft);
    EXPECT_EQ(arrow->handleUnderPoint({302, 98}, 1), OVWatermarkHandleBottomRight);
    EXPECT_EQ(arrow->handleUnderPoint({200, 100}, 1), OVWatermarkHandleNone);

    // Diagonal: anywhere inside the frame hits, even far from the shaft.
    arrow->setEndPoint({300, 300});
    EXPECT_TRUE(arrow->containsPoint({290, 110}, 1));
    // Both points under the click: the begin point wins.
    arrow->setEndPoint({102, 102});
    EXPECT_EQ(arrow->handleUnderPoint({101, 101}, 1), OVWatermarkHandleTopLeft);
}

TEST(ArrowWatermark, CoversShaftAndBarbsOnly) {
    auto arrow = OVArrowWatermark::arrowWatermark(); // (0, 200) to (200, 0), 10 wide
    arrow->setBounds({0, 0, 300, 300});
    auto image = drawnOnWhite(*arrow, 300, 300);
    for (ov::Point p : {ov::Point{100, 100}, ov::Point{10, 190}, ov::Point{190, 10},
                        ov::Point{200, 30}, ov::Point{170, 1}, ov::Point{203, 3}})
        EXPECT_TRUE(isBlack(image->colorAt(int(p.x), int(p.y)))) << p.x << "," << p.y;
    for (ov::Point p : {ov::Point{150, 150}, ov::Point{50, 50}, ov::Point{250, 250},
                        ov::Point{260, 10}, ov::Point{100, 115}, ov::Point{200, 80}})
        EXPECT_TRUE(isWhite(image->colorAt(int(p.x), int(p.y)))) << p.x << "," << p.y;
}

TEST(ArrowWatermark, EditableArrowAddsTwoPointHandlesAndNoFrame) {
    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setBounds({50, 50, 300, 300});
    auto a = drawnOnWhite(*arrow, 400, 400);
    arrow->setEditable(true);
    auto b = drawnOnWhite(*arrow, 400, 400);
    int changed = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) {
            if (near(a->colorAt(x, y), b->colorAt(x, y), 0.0))
                continue;
            ++changed;
            const bool nearBegin = std::abs(x - 50) <= 6 && std::abs(y - 250) <= 6;
            const bool nearEnd = std::abs(x - 250) <= 6 && std::abs(y - 50) <= 6;
            EXPECT_TRUE(nearBegin || nearEnd) << x << "," << y;
        }
    EXPECT_GT(changed, 0);
}
