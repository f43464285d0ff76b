#include "watermarks/OVStrikethroughWatermark.h"

[[maybe_unused]] static const bool registeredStrikethrough =
    OVKeyedClassRegistry::add<OVStrikethroughWatermark>("OVStrikethroughWatermark",
                                                        {"OVWatermark"});

void OVStrikethroughWatermark::encodeWithCoder(ov::KeyedArchiver& coder) const {
    OVWatermark::encodeWithCoder(coder);
    coder.encodeColor(color(), kOVStrikethroughWatermarkColor);
    coder.encodeFloat(static_cast<float>(lineDash()), kOVStrikethroughWatermarkLineDash);
    coder.encodeFloat(static_cast<float>(strokeThickness()),
                      kOVStrikethroughWatermarkStrokeThickness);
}

bool OVStrikethroughWatermark::initWithCoder(ov::KeyedUnarchiver& coder) {
    if (!OVWatermark::initWithCoder(coder))
        return false;
    setColor(coder.decodeColor(kOVStrikethroughWatermarkColor));
    setLineDash(coder.decodeFloat(kOVStrikethroughWatermarkLineDash));
    setStrokeThickness(coder.decodeFloat(kOVStrikethroughWatermarkStrokeThickness));
    return true;
}
