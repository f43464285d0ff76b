#include "watermarks/OVShapeWatermark.h"

[[maybe_unused]] static const bool registeredShape =
    OVKeyedClassRegistry::add<OVShapeWatermark>("OVShapeWatermark", {"OVWatermark"});

void OVShapeWatermark::encodeWithCoder(ov::KeyedArchiver& coder) const {
    OVWatermark::encodeWithCoder(coder);
    coder.encodeFloat(static_cast<float>(strokeThickness()), kOVShapeStrokeThickness);
    coder.encodeColor(strokeColor(), kOVShapeStrokeColorKey);
    coder.encodeColor(fillColor(), kOVShapeFillColorKey);
    coder.encodeInt64(static_cast<std::int64_t>(shapeType()), kOVShapeTypeKey);
    coder.encodeFloat(static_cast<float>(lineDash()), kOVShapeLineDashKey);
}

bool OVShapeWatermark::initWithCoder(ov::KeyedUnarchiver& coder) {
    if (!OVWatermark::initWithCoder(coder))
        return false;
    // Factory defaults are not applied: a missing key gives 0 or no colour.
    setStrokeThickness(coder.decodeFloat(kOVShapeStrokeThickness));
    setStrokeColor(coder.decodeColor(kOVShapeStrokeColorKey));
    setFillColor(coder.decodeColor(kOVShapeFillColorKey));
    setShapeType(static_cast<OVShapeType>(coder.decodeInt64(kOVShapeTypeKey)));
    setLineDash(coder.decodeFloat(kOVShapeLineDashKey));
    return true;
}
