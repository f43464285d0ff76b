#include "watermarks/OVPixellateWatermark.h"

[[maybe_unused]] static const bool registeredPixellate =
    OVKeyedClassRegistry::add<OVPixellateWatermark>("OVPixellateWatermark", {"OVWatermark"});

void OVPixellateWatermark::encodeWithCoder(ov::KeyedArchiver& coder) const {
    OVWatermark::encodeWithCoder(coder);
    coder.encodeFloat(static_cast<float>(intensity()), kOVPixellateIntensityKey);
}

bool OVPixellateWatermark::initWithCoder(ov::KeyedUnarchiver& coder) {
    if (!OVWatermark::initWithCoder(coder))
        return false;
    setIntensity(coder.decodeFloat(kOVPixellateIntensityKey));
    return true;
}
