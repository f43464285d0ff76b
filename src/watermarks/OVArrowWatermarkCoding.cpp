#include "watermarks/OVArrowWatermark.h"

[[maybe_unused]] static const bool registeredArrow =
    OVKeyedClassRegistry::add<OVArrowWatermark>("OVArrowWatermark", {"OVWatermark"});

void OVArrowWatermark::encodeWithCoder(ov::KeyedArchiver& coder) const {
    OVWatermark::encodeWithCoder(coder);
    coder.encodeFloat(static_cast<float>(strokeThickness()), kOVArrowStrokeThickness);
    coder.encodeColor(strokeColor(), kOVArrowStrokeColorKey);
    coder.encodePoint(beginPoint(), kOVArrowShapeBeginPointKey);
    coder.encodePoint(endPoint(), kOVArrowShapeEndPointKey);
    coder.encodeSize(relativeBeginning(), kOVArrowShapeRelativeBeginKey);
    coder.encodeSize(relativeEnding(), kOVArrowShapeRelativeEndKey);
}

bool OVArrowWatermark::initWithCoder(ov::KeyedUnarchiver& coder) {
    if (!OVWatermark::initWithCoder(coder))
        return false;
    setStrokeThickness(coder.decodeFloat(kOVArrowStrokeThickness));
    setStrokeColor(coder.decodeColor(kOVArrowStrokeColorKey));
    setRelativeBeginning(coder.decodeSize(kOVArrowShapeRelativeBeginKey));
    setRelativeEnding(coder.decodeSize(kOVArrowShapeRelativeEndKey));
    // The direction flags are not stored: the points rebuild them. The bounds are still zero
    // here, so the fractions just read are left alone.
    setBeginPoint(coder.decodePoint(kOVArrowShapeBeginPointKey));
    setEndPoint(coder.decodePoint(kOVArrowShapeEndPointKey));
    return true;
}
