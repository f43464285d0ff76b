#include "inkstead/watermarks/OVStrikethroughWatermark.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/gfx/Path.h"

namespace {
// How far beyond the image the lines start and end, so no line end shows on the image.
constexpr double kOverhang = 10.0;
} // namespace

std::shared_ptr<OVStrikethroughWatermark> OVStrikethroughWatermark::strikethroughWatermark() {
    auto strike = std::make_shared<OVStrikethroughWatermark>();
    strike->initWatermarkWithOptions({
        {std::string(kOVWatermarkTypeKey), std::int64_t{OVWatermarkTypeStrikethrough}},
        {std::string(kOVWatermarkTitleKey), std::string("Strikethrough")},
    });
    strike->setColor(ov::Color::black());
    strike->setStrokeThickness(3.0);
    strike->setLineDash(0.0);
    strike->setVisible(true);
    return strike;
}

std::shared_ptr<OVWatermark> OVStrikethroughWatermark::newInstance() const {
    return std::make_shared<OVStrikethroughWatermark>();
}

std::shared_ptr<OVWatermark> OVStrikethroughWatermark::copy() const {
    auto base = OVWatermark::copy();
    auto* copy = static_cast<OVStrikethroughWatermark*>(base.get());
    copy->setColor(color());
    copy->setLineDash(lineDash());
    copy->setStrokeThickness(strokeThickness());
    return base;
}

bool OVStrikethroughWatermark::containsPoint(ov::Point, double) const {
    return false;
}

ov::Path OVStrikethroughWatermark::strikethroughPath() const {
    const ov::Rect image = bounds();
    const double minX = image.minX() - kOverhang, minY = image.minY() - kOverhang;
    const double maxX = image.maxX() + kOverhang, maxY = image.maxY() + kOverhang;
    // A, C, D, B: one diagonal, along the top, the other diagonal, back along the bottom. One
    // continuous path, so a dash pattern runs on unbroken from line to line.
    ov::Path path;
    path.moveTo({minX, minY});
    path.addLineTo({maxX, maxY});
    path.addLineTo({minX, maxY});
    path.addLineTo({maxX, minY});
    path.closeSubpath();
    return path;
}

void OVStrikethroughWatermark::renderInContext(ov::GraphicsContext& context) {
    const auto lineColor = color();
    if (!isDrawable() || !lineColor)
        return;
    const OVSavedGraphicsState saved(context);
    context.setStrokeColor(*lineColor);
    context.setLineWidth(strokeThickness());
    if (const double dash = lineDash(); dash != 0)
        context.setLineDash(0, {dash});
    context.addPath(strikethroughPath());
    applyAlpha(context);
    context.drawPath(ov::PathDrawingMode::stroke);
}
