#include "inkstead/watermarks/OVShapeWatermark.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/gfx/Path.h"

std::shared_ptr<OVShapeWatermark> OVShapeWatermark::shapeWatermark() {
    auto shape = std::make_shared<OVShapeWatermark>();
    shape->initWatermarkWithOptions({
        {std::string(kOVWatermarkTypeKey), std::int64_t{OVWatermarkTypeShape}},
        {std::string(kOVWatermarkTitleKey), std::string("Shape")},
        {std::string(kOVWatermarkSizeKey), ov::Size{200, 200}},
        {std::string(kOVWatermarkProportionalKey), false},
    });
    shape->setStrokeColor(ov::Color::black());
    shape->setFillColor(ov::Color::clear());
    shape->setStrokeThickness(2.0);
    shape->setLineDash(0.0);
    shape->setShouldResizeProportionally(false);
    shape->setShouldUseRelativeSize(false);
    shape->setShouldUseRelativePosition(false);
    shape->setVisible(true);
    return shape;
}

std::shared_ptr<OVShapeWatermark> OVShapeWatermark::squareShapeWatermark() {
    auto shape = shapeWatermark();
    shape->setShapeType(OVShapeTypeSquare);
    return shape;
}

std::shared_ptr<OVShapeWatermark> OVShapeWatermark::circleShapeWatermark() {
    auto shape = shapeWatermark();
    shape->setShapeType(OVShapeTypeCircle);
    return shape;
}

std::shared_ptr<OVWatermark> OVShapeWatermark::newInstance() const {
    return std::make_shared<OVShapeWatermark>();
}

std::shared_ptr<OVWatermark> OVShapeWatermark::copy() const {
    auto base = OVWatermark::copy();
    auto* copy = static_cast<OVShapeWatermark*>(base.get());
    copy->setStrokeColor(strokeColor());
    copy->setStrokeThickness(strokeThickness());
    copy->setFillColor(fillColor());
    copy->setShapeType(shapeType());
    copy->setLineDash(lineDash());
    copy->setVisible(isVisible());
    copy->setShouldResizeProportionally(shouldResizeProportionally());
    copy->setShouldUseRelativeSize(shouldUseRelativeSize());
    copy->setShouldUseRelativePosition(shouldUseRelativePosition());
    return base;
}

void OVShapeWatermark::renderInContext(ov::GraphicsContext& context) {
    if (!isDrawable())
        return;
    renderShape(shapeType(), context);
}

void OVShapeWatermark::renderShape(OVShapeType type, ov::GraphicsContext& context) {
    OVWatermark::renderInContext(context);
    const auto stroke = strokeColor();
    const auto fill = fillColor();
    if (stroke && fill) {
        const OVSavedGraphicsState saved(context);
        if (const double dash = lineDash(); dash != 0)
            context.setLineDash(0, {dash});
        context.setStrokeColor(*stroke);
        context.setFillColor(*fill);
        context.setLineWidth(strokeThickness());
        applyAlpha(context);
        if (type == OVShapeTypeCircle)
            renderCircleInContext(context);
        else if (type == OVShapeTypeSquare)
            renderSquareInContext(context);
    }
    if (isEditable())
        drawHandlesInContext(context);
}

namespace {
// Fill first, then stroke the same path, so the outline lies on top of the fill.
void fillThenStroke(ov::GraphicsContext& context, const ov::Path& path) {
    context.addPath(path);
    context.fillPath();
    context.addPath(path);
    context.drawPath(ov::PathDrawingMode::stroke);
}
} // namespace

void OVShapeWatermark::renderSquareInContext(ov::GraphicsContext& context) {
    fillThenStroke(context, ov::Path::withRect(frame()));
}

void OVShapeWatermark::renderCircleInContext(ov::GraphicsContext& context) {
    fillThenStroke(context, ov::Path::withEllipseInRect(frame()));
}
