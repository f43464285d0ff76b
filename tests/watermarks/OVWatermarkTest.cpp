#include "inkstead/watermarks/OVWatermark.h"
#include "support/PixelProbes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace {

std::shared_ptr<OVWatermark> makeWatermark(ov::Point origin, ov::Size size) {
    auto w = OVWatermark::watermarkWithType(OVWatermarkTypeShape);
    w->setOrigin(origin);
    w->setSize(size);
    return w;
}

using ov::test::expectNear;

// Restores the process-wide backing factor after each test that changes it.
class BackingScaleGuard {
public:
    ~BackingScaleGuard() { OVSetMainScreenBackingScaleFactor(1.0); }
};

} // namespace

// MARK: Creation

TEST(WatermarkCreation, EmptyOptionsGiveAnIdentifiedButInvisibleWatermark) {
    OVWatermark w;
    w.initWatermarkWithOptions({});
    EXPECT_EQ(w.type(), OVWatermarkTypeText);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.isEditable());
    EXPECT_EQ(w.relativeSize(), (ov::Size{1, 1}));
    EXPECT_FALSE(w.uuid().isNil());
}

TEST(WatermarkCreation, OptionsAreReadWithTheirConversions) {
    OVWatermark w;
    w.initWatermarkWithOptions({
        {"type", std::int64_t{4}},
        {"title", std::string("Arrow")},
        {"proportional", false},
        {"shouldUsePostion", true}, // unknown keys are ignored
        {"shouldUseRelativePostion", false},
        {"alpha", 0.3},
        {"relativeQuadrant", std::int64_t{3}},
    });
    EXPECT_EQ(w.type(), OVWatermarkTypeArrow);
    EXPECT_EQ(w.title(), "Arrow");
    EXPECT_FALSE(w.shouldResizeProportionally());
    EXPECT_FALSE(w.shouldUseRelativePosition());
    EXPECT_TRUE(w.shouldUseRelativeSize());
    EXPECT_EQ(w.alpha(), static_cast<double>(0.3f));
    EXPECT_EQ(w.relativeQuadrant(), OVRelativeQuadrantTopRight);
}

TEST(WatermarkCreation, EachWatermarkGetsItsOwnIdentity) {
    auto a = OVWatermark::watermarkWithType(OVWatermarkTypeText);
    auto b = OVWatermark::watermarkWithType(OVWatermarkTypeText);
    EXPECT_FALSE(a->isEqualToWatermark(b));
    EXPECT_TRUE(a->isEqualToWatermark(a));
    EXPECT_FALSE(a->isEqualToWatermark(nullptr));
    auto unidentified = std::make_shared<OVWatermark>();
    EXPECT_FALSE(unidentified->isEqualToWatermark(std::make_shared<OVWatermark>()));
}

// MARK: Geometry

TEST(WatermarkGeometry, DrawRectRoundsSizeAndAddsBoundsOrigin) {
    auto w = makeWatermark({5, 5}, {100.4, 50.5});
    w->setShouldUseRelativeSize(false);
    w->setShouldUseRelativePosition(false);
    w->setBounds({10, 20, 1000, 800});
    EXPECT_EQ(w->drawRect(), (ov::Rect{15, 25, 100, 51}));
}

TEST(WatermarkGeometry, QuarterTurnSwapsFrameSidesAndTransformLandsInFrame) {
    auto w = makeWatermark({0, 0}, {100, 50});
    w->setRotation(90);
    expectNear(w->rotatedDrawRect(), {25, -25, 50, 100});
    expectNear(w->frame(), {0, 0, 50, 100});
    expectNear(w->translateContext(), {-25, 25});
    const auto t = w->rotationTransform();
    const auto a = ov::Point{0, 0}.applying(t);
    const auto b = ov::Point{100, 50}.applying(t);
    expectNear(a, {0, 100});
    expectNear(b, {50, 0});
}

TEST(WatermarkGeometry, HalfTurnKeepsFrameAndAddsNoShift) {
    auto w = makeWatermark({10, 10}, {100, 50});
    w->setRotation(180);
    expectNear(w->frame(), {10, 10, 100, 50});
    // Rotating about the centre alone maps the content onto itself.
    const auto corner = ov::Point{10, 10}.applying(w->rotationTransform());
    expectNear(corner, {110, 60});
}

TEST(WatermarkGeometry, MaximumSizeClampsAndStoresAbsoluteValues) {
    auto w = makeWatermark({0, 0}, {10, 10});
    w->setSize({-50, 20});
    EXPECT_EQ(w->size(), (ov::Size{-50, 20})); // no maximum: stored as given
    w->setHasMaxSize(true);
    w->setMaxSize({300, 300});
    w->setSize({400, 200});
    EXPECT_EQ(w->size(), (ov::Size{300, 200}));
    w->setSize({-50, 20});
    EXPECT_EQ(w->size(), (ov::Size{50, 20}));
}

// MARK: Handles and hit testing

constexpr auto kTopLeft = OVWatermarkHandleTopLeft, kTopRight = OVWatermarkHandleTopRight,
               kBottomLeft = OVWatermarkHandleBottomLeft,
               kBottomRight = OVWatermarkHandleBottomRight, kNone = OVWatermarkHandleNone;

// A frame from (100, 100) of 200 × 100 at scale 1: handles of 10 × 10 centred on the corners.
TEST(WatermarkHandles, HitAtTheCornersOnly) {
    const std::tuple<ov::Point, OVWatermarkHandle, bool> cases[] = {
        {{96, 96}, kBottomLeft, true},   {{104, 104}, kBottomLeft, true},
        {{95, 100}, kBottomLeft, true}, // the left edge is inside
        {{105, 100}, kNone, true},      // the right edge is not
        {{300, 200}, kTopRight, true},   {{96, 204}, kTopLeft, true},
        {{304, 96}, kBottomRight, true}, {{150, 150}, kNone, true},
        {{306, 206}, kNone, false},
    };
    auto w = makeWatermark({100, 100}, {200, 100});
    for (const auto& [point, handle, contained] : cases) {
        EXPECT_EQ(w->handleUnderPoint(point, 1), handle) << point.x << "," << point.y;
        EXPECT_EQ(w->containsPoint(point, 1), contained) << point.x << "," << point.y;
    }
}

TEST(WatermarkHandles, TinyFrameIsCoveredByItsBottomLeftHandle) {
    auto w = makeWatermark({0, 0}, {4, 4});
    for (double x : {0.5, 2.0, 3.5})
        for (double y : {0.5, 2.0, 3.5})
            EXPECT_EQ(w->handleUnderPoint({x, y}, 1), OVWatermarkHandleBottomLeft);
}

TEST(WatermarkHandles, HandleSizeFollowsScaleAndBackingFactor) {
    BackingScaleGuard guard;
    EXPECT_EQ(unscaledHandleBoundsAtPoint({10, 10}, 1), (ov::Rect{5, 5, 10, 10}));
    EXPECT_EQ(unscaledHandleBoundsAtPoint({10, 10}, 2).size, (ov::Size{5, 5}));
    OVSetMainScreenBackingScaleFactor(2);
    EXPECT_EQ(unscaledHandleBoundsAtPoint({10, 10}, 2).size, (ov::Size{10, 10}));
}

// MARK: Resizing

// From origin (100, 100) and size 200 × 100: proportionally or not, a handle moved to a
// target, with a maximum size (zero: none); then the size and origin expected.
TEST(WatermarkResize, ByEachHandle) {
    struct Case {
        const char* name;
        bool proportional;
        OVWatermarkHandle handle;
        ov::Point target;
        ov::Size maxSize, size;
        ov::Point origin;
    };
    const Case cases[] = {
        {"freeBottomRight", false, kBottomRight, {400, 50}, {}, {300, 150}, {100, 50}},
        {"freeTopLeftPastRightEdge", false, kTopLeft, {350, 250}, {}, {25, 150}, {350, 100}},
        {"freeNaNBecomesMinimum", false, kTopRight, {NAN, 300}, {}, {25, 200}, {100, 100}},
        {"freeNoHandleKeepsGeometry", false, kNone, {0, 0}, {}, {200, 100}, {100, 100}},
        {"proportionalBottomRightKeepsTop", true, kBottomRight, {500, 0}, {}, {400, 200}, {100, 0}},
        {"proportionalBottomLeftIgnoresY", true, kBottomLeft, {0, 999}, {}, {300, 150}, {0, 50}},
        {"proportionalTopRightKeepsBottom", true, kTopRight, {500, 0}, {}, {400, 200}, {100, 100}},
        {"proportionalTopLeftToMaximum", true, kTopLeft, {0, 0}, {250, 125}, {250, 125}, {0, 100}},
        {"proportionalMinimumWidthOnly", true, kTopRight, {110, 0}, {}, {25, 12.5}, {100, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto w = makeWatermark({100, 100}, {200, 100});
        if (c.maxSize != ov::Size{}) {
            w->setHasMaxSize(true);
            w->setMaxSize(c.maxSize);
        }
        w->resizeByMovingHandle(c.handle, c.target, c.proportional);
        EXPECT_EQ(w->size(), c.size);
        EXPECT_EQ(w->origin(), c.origin);
        EXPECT_TRUE(w->shouldSave());
    }
}

TEST(WatermarkResize, MaximumHeldLeftHandleDoesNotSlide) {
    auto w = makeWatermark({100, 100}, {250, 125});
    w->setHasMaxSize(true);
    w->setMaxSize({250, 125});
    w->resizeByMovingHandle(OVWatermarkHandleBottomLeft, {0, 0}, true);
    EXPECT_EQ(w->size(), (ov::Size{250, 125}));
    EXPECT_EQ(w->origin(), (ov::Point{100, 100}));
}

TEST(WatermarkResize, UsesTheWatermarksOwnProportionalFlag) {
    auto w = makeWatermark({100, 100}, {200, 100});
    w->setShouldResizeProportionally(false);
    w->resizeByMovingHandle(OVWatermarkHandleBottomRight, {400, 50});
    EXPECT_EQ(w->size(), (ov::Size{300, 150}));
}

// MARK: Moving and relative placement

TEST(WatermarkMove, OffsetMarksDirtyAndRecomputesRelativePlacement) {
    auto w = makeWatermark({100, 50}, {200, 100});
    w->setBounds({0, 0, 1000, 500});
    EXPECT_EQ(w->relativePosition(), (ov::Point{0.1, 0.1}));
    EXPECT_FALSE(w->shouldSave());
    w->offsetOriginByX(100, 50);
    EXPECT_EQ(w->origin(), (ov::Point{200, 100}));
    EXPECT_TRUE(w->shouldSave());
    EXPECT_EQ(w->relativePosition(), (ov::Point{0.2, 0.2}));
}

// On a 1000 × 500 image, then on one twice as large: each corner's quadrant and fractions.
TEST(WatermarkPlacement, FollowsTheNearestCornerToALargerImage) {
    const std::tuple<ov::Point, OVRelativeQuadrant, ov::Point, ov::Point> cases[] = {
        {{100, 50}, OVRelativeQuadrantBottomLeft, {0.1, 0.1}, {200, 100}},
        {{750, 380}, OVRelativeQuadrantTopRight, {0.05, 0.04}, {1500, 760}},
        {{30, 390}, OVRelativeQuadrantTopLeft, {0.03, 0.02}, {60, 780}},
        {{780, 10}, OVRelativeQuadrantBottomRight, {0.02, 0.02}, {1560, 20}},
    };
    for (const auto& [origin, quadrant, relative, originOnDouble] : cases) {
        SCOPED_TRACE(quadrant);
        auto w = makeWatermark(origin, {200, 100});
        w->setBounds({0, 0, 1000, 500});
        EXPECT_EQ(w->relativeQuadrant(), quadrant);
        expectNear(w->relativePosition(), relative, 1e-12);
        EXPECT_EQ(w->relativeSize(), (ov::Size{0.2, 0.2}));
        w->setBounds({0, 0, 2000, 1000});
        EXPECT_EQ(w->size(), (ov::Size{400, 200}));
        expectNear(w->origin(), originOnDouble);
    }
}

// Relative data that cannot place the mark leave its origin alone; a damaged quadrant gives
// (0, 0). Neither do the same bounds twice, nor bounds with the relative flags off, move it.
TEST(WatermarkPlacement, UnusableRelativeDataOrFlagsOffKeepTheOrigin) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::tuple<ov::Point, int, ov::Point> cases[] = {
        {{0, 0}, OVRelativeQuadrantTopRight, {123, 45}},
        {{std::nan(""), 0.1}, OVRelativeQuadrantTopRight, {123, 45}},
        {{inf, 0.1}, OVRelativeQuadrantTopRight, {123, 45}},
        {{0.1, 0.1}, 7, {0, 0}},
    };
    for (const auto& [relative, quadrant, origin] : cases) {
        auto w = makeWatermark({123, 45}, {200, 100});
        w->setShouldUseRelativeSize(false);
        w->setRelativeQuadrant(static_cast<OVRelativeQuadrant>(quadrant));
        w->setRelativePosition(relative);
        w->setBounds({0, 0, 1000, 500});
        EXPECT_EQ(w->origin(), origin) << relative.x << " in quadrant " << quadrant;
    }

    auto moved = makeWatermark({100, 50}, {200, 100});
    moved->setBounds({0, 0, 1000, 500});
    moved->setOrigin({300, 300}); // a plain store: relative data still say (100, 50)
    moved->setBounds({0, 0, 1000, 500});
    EXPECT_EQ(moved->origin(), (ov::Point{300, 300}));

    auto fixed = makeWatermark({100, 50}, {200, 100});
    fixed->setShouldUseRelativeSize(false);
    fixed->setShouldUseRelativePosition(false);
    fixed->setBounds({0, 0, 1000, 500});
    fixed->setBounds({0, 0, 2000, 1000});
    EXPECT_EQ(fixed->size(), (ov::Size{200, 100}));
    EXPECT_EQ(fixed->origin(), (ov::Point{100, 50}));
}

// Where the mark is equally far from every corner, on a portrait image, and without bounds.
TEST(WatermarkPlacement, EquidistantPortraitAndUnboundedCases) {
    auto equidistant = makeWatermark({400, 400}, {200, 200});
    equidistant->setRelativeQuadrant(OVRelativeQuadrantTopRight);
    equidistant->setBounds({0, 0, 1000, 1000});
    EXPECT_EQ(equidistant->relativeQuadrant(), OVRelativeQuadrantBottomLeft) << "equidistant";

    auto portrait = makeWatermark({0, 0}, {400, 200});
    portrait->setRelativeSize({0.2, 0.2});
    portrait->setBounds({0, 0, 500, 1000});
    EXPECT_EQ(portrait->size(), (ov::Size{100, 50})) << "aspect ratio kept from the width";

    auto unbounded = makeWatermark({100, 50}, {200, 100});
    unbounded->setRelativePosition({0.3, 0.4});
    unbounded->setRelativeQuadrant(OVRelativeQuadrantTopLeft);
    unbounded->setRelativeSize({0.5, 0.5});
    unbounded->calculateRelativePosition();
    EXPECT_EQ(unbounded->relativePosition(), (ov::Point{0.3, 0.4})) << "zero bounds";
    EXPECT_EQ(unbounded->relativeQuadrant(), OVRelativeQuadrantTopLeft);
    EXPECT_EQ(unbounded->relativeSize(), (ov::Size{0.5, 0.5}));
}

// MARK: Copying

// The settings a copy keeps are checked with the kinds' property tables.
TEST(WatermarkCopy, CopyKeepsIdentityAndVisibilityButNotEditingState) {
    auto w = makeWatermark({12, 34}, {56, 78});
    w->setBounds({0, 0, 1000, 500});
    w->setEditable(true);
    w->setShouldSave(true);
    w->setVisible(false);
    auto c = w->copy();
    ASSERT_NE(c, w);
    EXPECT_TRUE(c->isEqualToWatermark(w));
    EXPECT_EQ(c->relativePosition(), w->relativePosition());
    EXPECT_FALSE(c->isVisible());
    EXPECT_FALSE(c->isEditable());
    EXPECT_FALSE(c->shouldSave());
    EXPECT_EQ(c->bounds(), ov::RectZero);
}
