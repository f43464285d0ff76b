#include "inkstead/geometry/OVGeometry.h"

#include "inkstead/platform/gfx/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;
}

ov::Rect CGRectFromCGSize(ov::Size size) {
    if (size == ov::SizeZero)
        return ov::RectZero;
    return {0, 0, size.width, size.height};
}

ov::Point OVRectCenter(const ov::Rect& rect) {
    return {rect.midX(), rect.midY()};
}

OVRectCornerPoints OVRectCorners(const ov::Rect& rect) {
    return {{rect.minX(), rect.minY()},
            {rect.minX(), rect.maxY()},
            {rect.maxX(), rect.minY()},
            {rect.maxX(), rect.maxY()}};
}

ov::Size OVMakeSizeWithAspectRatioInsideSize(ov::Size aspectRatio, ov::Size boundingSize) {
    const double scale =
        std::min(boundingSize.width / aspectRatio.width, boundingSize.height / aspectRatio.height);
    return {aspectRatio.width * scale, aspectRatio.height * scale};
}

bool CGSizeLargerThanSize(ov::Size a, ov::Size b) {
    return b.width > a.width || b.height > a.height;
}

double OVContextGetScale(const ov::GraphicsContext& context) {
    const ov::AffineTransform ctm = context.getCTM();
    return std::sqrt(ctm.a * ctm.a + ctm.c * ctm.c);
}

ov::AffineTransform OVAffineTransformRotateOnPoint(double angle, ov::Point point) {
    return ov::AffineTransform::identity()
        .translated(point.x, point.y)
        .rotated(angle * -kPi / 180)
        .translated(-point.x, -point.y);
}

OVSavedGraphicsState::OVSavedGraphicsState(ov::GraphicsContext& context) : context_(context) {
    context_.saveGState();
}

OVSavedGraphicsState::~OVSavedGraphicsState() {
    context_.restoreGState();
}

void CGContextSaveStateWithCompletion(ov::GraphicsContext& context,
                                      const std::function<void()>& body) {
    context.saveGState();
    if (body)
        body();
    context.restoreGState();
}
