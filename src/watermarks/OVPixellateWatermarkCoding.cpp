#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind_p.h"

// How a pixellate watermark is archived and how it describes itself.

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

const OVWatermarkKind& OVPixellateWatermark::kind() {
    using namespace ov::detail;
    static const OVWatermarkKind kind{
        .name = "pixellate",
        .type = OVWatermarkTypePixellate,
        .className = "OVPixellateWatermark",
        .title = "Pixellate",
        .make = [] { return std::static_pointer_cast<OVWatermark>(pixellateWatermark()); },
        .sharedSettings = OVSharedSettingAnchorPlacement | OVSharedSettingAreaPlacement,
        .properties =
            {
                numberProperty<OVPixellateWatermark>("intensity", "intensity", "Block size", 0,
                                                     100000, 20.0, &OVPixellateWatermark::intensity,
                                                     &OVPixellateWatermark::setIntensity),
            },
        .registerArchivedClass = archivedClass<OVPixellateWatermark>("OVPixellateWatermark"),
        .classType = &typeid(OVPixellateWatermark),
    };
    return kind;
}
