#include "MarkPlacement.h"

#include "watermarks/OVTextWatermark.h"

#include <algorithm>
#include <cmath>

namespace cli {
namespace {

// The library reads a relative position of exactly (0, 0), a relative size of exactly (1, 1)
// and arrow fractions of 0 as "not computed yet". A mark flush with an edge, or as wide as the
// image, is therefore stored this hair away from it: far below a pixel on any photo.
constexpr double kHair = 1e-9;

double awayFromZero(double fraction) {
    return fraction <= 0 ? kHair : fraction;
}

OVRelativeQuadrant quadrantOf(MarkAnchor anchor) {
    switch (anchor) {
    case MarkAnchor::TopLeft:
        return OVRelativeQuadrantTopLeft;
    case MarkAnchor::TopRight:
        return OVRelativeQuadrantTopRight;
    case MarkAnchor::BottomRight:
        return OVRelativeQuadrantBottomRight;
    case MarkAnchor::BottomLeft:
    case MarkAnchor::Center:
        return OVRelativeQuadrantBottomLeft;
    }
    return OVRelativeQuadrantBottomLeft;
}

void layOnReference(OVWatermark& mark) {
    // A decoded or freshly made mark has no bounds yet; re-laying a placed one keeps its size,
    // which setBounds derives from the relative size.
    mark.setBounds(kMarkReferenceBounds);
}

// Scales the content to `width` units keeping its aspect. A text gets the font size that
// fills that width and keeps scaling its font with the image.
void resizeToWidth(OVWatermark& mark, double width) {
    if (auto* text = dynamic_cast<OVTextWatermark*>(&mark)) {
        text->setShouldUseDynamicFontSize(true);
        const ov::Size natural = text->size();
        if (natural.width > 0 && text->fontSize() > 0)
            text->setFontSize(text->fontSize() * width / natural.width);
    }
    const ov::Size current = mark.size();
    const double aspect = current.height > 0 ? current.width / current.height : 1;
    mark.setSize({width, width / aspect});
}

} // namespace

void placeBox(OVWatermark& mark, const BoxPlacement& placement) {
    const ov::Size image = kMarkReferenceBounds.size;
    layOnReference(mark);
    mark.setShouldUseRelativePosition(true);

    // Pictures cap a mark at their pixel size; the share of the width is what the user asked
    // for, and the cap applies again when the preset renders.
    const bool capped = mark.hasMaxSize();
    mark.setHasMaxSize(false);
    if (placement.width > 0) {
        resizeToWidth(mark, std::min(placement.width, 1.0) * image.width);
        mark.setShouldUseRelativeSize(true);
    }

    const ov::Size box = mark.frame().size;
    const double left = placement.marginX * image.width;
    const double right = image.width - box.width - placement.marginX * image.width;
    const double bottom = placement.marginY * image.height;
    const double top = image.height - box.height - placement.marginY * image.height;
    ov::Point origin;
    switch (placement.anchor) {
    case MarkAnchor::TopLeft:
        origin = {left, top};
        break;
    case MarkAnchor::TopRight:
        origin = {right, top};
        break;
    case MarkAnchor::BottomLeft:
        origin = {left, bottom};
        break;
    case MarkAnchor::BottomRight:
        origin = {right, bottom};
        break;
    case MarkAnchor::Center:
        origin = {(image.width - box.width) / 2, (image.height - box.height) / 2};
        break;
    }
    mark.setOrigin(origin);
    mark.calculateRelativePosition();

    // The library measures from the nearest corner; a large mark can be nearer another corner
    // than the one it is anchored to. Measure from the anchor, so the margins hold on images of
    // any proportion.
    if (placement.anchor != MarkAnchor::Center) {
        mark.setRelativeQuadrant(quadrantOf(placement.anchor));
        mark.setRelativePosition(
            {awayFromZero(placement.marginX), awayFromZero(placement.marginY)});
    } else {
        const ov::Point relative = mark.relativePosition();
        mark.setRelativePosition({awayFromZero(relative.x), awayFromZero(relative.y)});
    }
    if (const ov::Size relative = mark.relativeSize(); relative.width >= 1 && relative.height >= 1)
        mark.setRelativeSize({1 - kHair, relative.height});
    if (capped)
        mark.setHasMaxSize(true);
}

void placeRect(OVWatermark& mark, ov::Rect rect) {
    const ov::Size image = kMarkReferenceBounds.size;
    layOnReference(mark);
    mark.setShouldUseRelativePosition(true);
    mark.setShouldUseRelativeSize(true);
    const bool capped = mark.hasMaxSize();
    mark.setHasMaxSize(false);
    mark.setSize({rect.size.width * image.width, rect.size.height * image.height});
    // y upward from the bottom edge.
    mark.setOrigin({rect.origin.x * image.width,
                    image.height - (rect.origin.y + rect.size.height) * image.height});
    mark.calculateRelativePosition();
    const ov::Point relative = mark.relativePosition();
    mark.setRelativePosition({awayFromZero(relative.x), awayFromZero(relative.y)});
    if (const ov::Size relativeSize = mark.relativeSize(); relativeSize.width >= 1)
        mark.setRelativeSize({1 - kHair, relativeSize.height});
    if (capped)
        mark.setHasMaxSize(true);
}

void placeArrow(OVArrowWatermark& arrow, ov::Point from, ov::Point to) {
    const ov::Size image = kMarkReferenceBounds.size;
    layOnReference(arrow);
    auto onReference = [&](ov::Point p) {
        return ov::Point{awayFromZero(p.x) * image.width, awayFromZero(1 - p.y) * image.height};
    };
    arrow.setBeginPoint(onReference(from));
    arrow.setEndPoint(onReference(to));
}

BoxPlacement currentPlacement(const OVWatermark& mark) {
    BoxPlacement placement;
    switch (mark.relativeQuadrant()) {
    case OVRelativeQuadrantTopLeft:
        placement.anchor = MarkAnchor::TopLeft;
        break;
    case OVRelativeQuadrantTopRight:
        placement.anchor = MarkAnchor::TopRight;
        break;
    case OVRelativeQuadrantBottomRight:
        placement.anchor = MarkAnchor::BottomRight;
        break;
    default:
        placement.anchor = MarkAnchor::BottomLeft;
        break;
    }
    const ov::Point relative = mark.relativePosition();
    placement.marginX = relative.x <= kHair ? 0 : relative.x;
    placement.marginY = relative.y <= kHair ? 0 : relative.y;
    const ov::Size relativeSize = mark.relativeSize();
    const bool computed = !(relativeSize == ov::Size{0, 0}) && !(relativeSize == ov::Size{1, 1});
    placement.width = mark.shouldUseRelativeSize() && computed ? relativeSize.width : 0;
    return placement;
}

ov::Rect currentRect(OVWatermark& mark) {
    const ov::Size image = kMarkReferenceBounds.size;
    mark.setBounds(kMarkReferenceBounds);
    const ov::Point origin = mark.origin();
    const ov::Size size = mark.size();
    return {origin.x / image.width, 1 - (origin.y + size.height) / image.height,
            size.width / image.width, size.height / image.height};
}

} // namespace cli
