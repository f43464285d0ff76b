#include "inkstead/watermarks/OVArrowWatermark.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/platform/gfx/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace {
// The head is turned by this angle minus the shaft's direction. Slightly less than a quarter
// turn, so the head sits a hair (about 0.0041 radian) clockwise of the shaft.
constexpr double kHeadAngleBase = 1.56666;
// Each barb ends this far from the tip along both axes before the head is turned: 40·√2 units
// at 45 degrees to the shaft.
constexpr double kBarbOffset = 40.0;
} // namespace

std::shared_ptr<OVArrowWatermark> OVArrowWatermark::arrowWatermark() {
    auto arrow = std::make_shared<OVArrowWatermark>();
    arrow->initWatermarkWithOptions({
        {std::string(kOVWatermarkTypeKey), std::int64_t{OVWatermarkTypeArrow}},
        {std::string(kOVWatermarkTitleKey), std::string("Arrow")},
        {std::string(kOVWatermarkSizeKey), ov::Size{200, 200}},
        {std::string(kOVWatermarkProportionalKey), false},
    });
    arrow->setStrokeColor(ov::Color::black());
    arrow->setStrokeThickness(10.0);
    arrow->setShouldResizeProportionally(false);
    arrow->setShouldUseRelativeSize(false);
    arrow->setShouldUseRelativePosition(false);
    arrow->setVisible(true);
    arrow->setPointsDown(false);
    arrow->setPointsRight(true);
    return arrow;
}

std::shared_ptr<OVWatermark> OVArrowWatermark::newInstance() const {
    return std::make_shared<OVArrowWatermark>();
}

std::shared_ptr<OVWatermark> OVArrowWatermark::copy() const {
    auto base = OVWatermark::copy();
    auto* copy = static_cast<OVArrowWatermark*>(base.get());
    copy->setStrokeColor(strokeColor());
    copy->setStrokeThickness(strokeThickness());
    copy->setVisible(isVisible());
    copy->setShouldResizeProportionally(shouldResizeProportionally());
    copy->setShouldUseRelativeSize(shouldUseRelativeSize());
    copy->setShouldUseRelativePosition(shouldUseRelativePosition());
    // The base copy carried origin and size over; the points rebuild the direction flags.
    copy->setBeginPoint(beginPoint());
    copy->setEndPoint(endPoint());
    copy->setRelativeBeginning(relativeBeginning());
    copy->setRelativeEnding(relativeEnding());
    return base;
}

//! Points

ov::Point OVArrowWatermark::beginPoint() const {
    const ov::Point o = origin();
    const ov::Size s = size();
    return {pointsRight() ? o.x : o.x + s.width, pointsDown() ? o.y : o.y + s.height};
}

ov::Point OVArrowWatermark::endPoint() const {
    const ov::Point o = origin();
    const ov::Size s = size();
    return {pointsRight() ? o.x + s.width : o.x, pointsDown() ? o.y + s.height : o.y};
}

ov::Point OVArrowWatermark::translatePointByBoundsOrigin(ov::Point point) const {
    const ov::Point o = bounds().origin;
    return {point.x + o.x, point.y + o.y};
}

ov::Point OVArrowWatermark::translatedBeginPoint() const {
    return translatePointByBoundsOrigin(beginPoint());
}

ov::Point OVArrowWatermark::translatedEndPoint() const {
    return translatePointByBoundsOrigin(endPoint());
}

void OVArrowWatermark::setFrameWithBeginPoint(ov::Point begin, ov::Point end, bool* right,
                                              bool* down) {
    if (right)
        *right = end.x > begin.x;
    if (down)
        *down = end.y > begin.y;
    setOrigin({std::min(begin.x, end.x), std::min(begin.y, end.y)});
    setSize({std::fabs(end.x - begin.x), std::fabs(end.y - begin.y)});
}

void OVArrowWatermark::setBeginPoint(ov::Point point) {
    setBeginPoint(point, true);
}

void OVArrowWatermark::setBeginPoint(ov::Point point, bool shouldUpdateRelativePosition) {
    bool right = pointsRight(), down = pointsDown();
    setFrameWithBeginPoint(point, endPoint(), &right, &down);
    setPointsRight(right);
    setPointsDown(down);
    if (shouldUpdateRelativePosition)
        updateRelativePosition();
}

void OVArrowWatermark::setEndPoint(ov::Point point) {
    setEndPoint(point, true);
}

void OVArrowWatermark::setEndPoint(ov::Point point, bool shouldUpdateRelativePosition) {
    bool right = pointsRight(), down = pointsDown();
    setFrameWithBeginPoint(beginPoint(), point, &right, &down);
    setPointsRight(right);
    setPointsDown(down);
    if (shouldUpdateRelativePosition)
        updateRelativePosition();
}

ov::Point OVArrowWatermark::rotatePoint(ov::Point p, ov::Point c, double angle) const {
    const double cosA = std::cos(angle), sinA = std::sin(angle);
    return {(p.x - c.x) * cosA - (p.y - c.y) * sinA + c.x,
            (p.y - c.y) * cosA + (p.x - c.x) * sinA + c.y};
}

//! Drawing

ov::BezierPath OVArrowWatermark::bezierPathForDrawing() const {
    const ov::Point b = translatedBeginPoint();
    const ov::Point e = translatedEndPoint();
    // atan2 of (dx, dy), in single precision: the head's turn is tied to these exact values.
    const double angle =
        kHeadAngleBase -
        static_cast<double>(::atan2f(static_cast<float>(e.x - b.x), static_cast<float>(e.y - b.y)));
    ov::BezierPath path;
    path.moveTo(b);
    path.lineTo(e);
    path.lineTo(rotatePoint({e.x - kBarbOffset, e.y + kBarbOffset}, e, angle));
    path.lineTo(e);
    path.lineTo(rotatePoint({e.x - kBarbOffset, e.y - kBarbOffset}, e, angle));
    path.lineTo(e);
    return path;
}

void OVArrowWatermark::renderInContext(ov::GraphicsContext& context) {
    if (!isDrawable())
        return;
    {
        const OVSavedGraphicsState saved(context);
        applyShadow(context);
        drawArrow(context);
    }
    if (isEditable())
        drawHandlesInContext(context);
}

void OVArrowWatermark::drawHandlesInContext(ov::GraphicsContext& context) {
    const double scale = OVContextGetScale(context);
    drawHandleInContext(context, translatedBeginPoint(), scale);
    drawHandleInContext(context, translatedEndPoint(), scale);
}

//! Hit testing and editing

bool OVArrowWatermark::containsPoint(ov::Point point, double scale) const {
    if (OVWatermark::containsPoint(point, scale))
        return true;
    const auto path = copyQuartzPath(bezierPathForDrawing());
    if (!path)
        return false;
    const ov::Path outline =
        path->strokedCopy(strokeThickness(), ov::LineCap::round, ov::LineJoin::round, 1.0);
    return outline.containsPoint(point);
}

OVWatermarkHandle OVArrowWatermark::handleUnderPoint(ov::Point point, double scale) const {
    if (isHandleAtPoint(translatedBeginPoint(), point, scale))
        return OVWatermarkHandleTopLeft;
    if (isHandleAtPoint(translatedEndPoint(), point, scale))
        return OVWatermarkHandleBottomRight;
    return OVWatermarkHandleNone;
}

void OVArrowWatermark::resizeByMovingHandle(OVWatermarkHandle handle, ov::Point point) {
    if (handle == OVWatermarkHandleBottomRight)
        setEndPoint(point);
    else if (handle == OVWatermarkHandleTopLeft)
        setBeginPoint(point);
}

void OVArrowWatermark::offsetOriginByX(double dx, double dy) {
    OVWatermark::offsetOriginByX(dx, dy);
    updateRelativePosition();
}

//! Relative placement

void OVArrowWatermark::updateRelativePosition() {
    const ov::Size image = bounds().size;
    if (image.width == 0 || image.height == 0)
        return;
    const ov::Point b = beginPoint(), e = endPoint();
    setRelativeBeginning({b.x / image.width, b.y / image.height});
    setRelativeEnding({e.x / image.width, e.y / image.height});
}

void OVArrowWatermark::dynamicallyPositionArrow() {
    const ov::Size image = bounds().size;
    if (image.width == 0 || image.height == 0)
        return;
    const ov::Size rb = relativeBeginning(), re = relativeEnding();
    setBeginPoint({rb.width * image.width, rb.height * image.height}, false);
    setEndPoint({re.width * image.width, re.height * image.height}, false);
}

bool OVArrowWatermark::hasRelativePosition() const {
    const ov::Size rb = relativeBeginning(), re = relativeEnding();
    return rb.width > 0 && rb.height > 0 && re.width > 0 && re.height > 0;
}

std::pair<ov::Point, ov::Point> OVArrowWatermark::endsFromTopLeft() const {
    const ov::Size b = relativeBeginning(), e = relativeEnding();
    return {{b.width, 1 - b.height}, {e.width, 1 - e.height}};
}

ov::Result<void> OVArrowWatermark::setEndsFromTopLeft(ov::Point from, ov::Point to) {
    // Fractions of 0 read as "not placed"; a hair keeps an end on the edge placed.
    constexpr double kHair = 1e-9;
    const ov::Size image = kOVPlacementReferenceBounds.size;
    auto onImage = [&](ov::Point p) {
        return ov::Point{std::max(p.x, kHair) * image.width,
                         std::max(1 - p.y, kHair) * image.height};
    };
    const ov::Point begin = onImage(from), end = onImage(to);
    if (begin == end)
        return ov::makeError(std::errc::invalid_argument, "an arrow needs two different points");
    setBounds(kOVPlacementReferenceBounds);
    setBeginPoint(begin);
    setEndPoint(end);
    return {};
}

ov::Rect OVArrowWatermark::bounds() const {
    return bounds_;
}

void OVArrowWatermark::setBounds(ov::Rect bounds) {
    if (bounds == bounds_)
        return;
    bounds_ = bounds;
    if (hasRelativePosition())
        dynamicallyPositionArrow();
}

ov::Rect OVArrowWatermark::drawRect() const {
    const ov::Point o = origin();
    const ov::Rect image = bounds();
    return {o.x + image.origin.x, o.y + image.origin.y, size().width, size().height};
}

void OVArrowWatermark::drawArrow(ov::GraphicsContext& context) {
    const auto color = strokeColor();
    if (!color)
        return;
    context.setStrokeColor(*color);
    context.setFillColor(*color);
    context.setLineWidth(strokeThickness());
    applyAlpha(context);
    context.setLineCap(ov::LineCap::round);
    context.setLineJoin(ov::LineJoin::round);
    const auto path = copyQuartzPath(bezierPathForDrawing());
    if (!path)
        return;
    context.addPath(*path);
    context.drawPath(ov::PathDrawingMode::stroke);
    // Every segment runs there and back, so the fill covers no area; kept so that a path that
    // does enclose area would be drawn solid.
    context.addPath(*path);
    context.fillPath();
}
