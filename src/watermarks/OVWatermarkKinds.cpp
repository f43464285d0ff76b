#include "inkstead/watermarks/OVWatermarkKind.h"

#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <algorithm>

// The one list of watermark kinds. A new kind adds its description here.

const std::vector<const OVWatermarkKind*>& OVRegisterWatermarkKinds() {
    static const std::vector<const OVWatermarkKind*> kinds = [] {
        std::vector<const OVWatermarkKind*> list{
            &OVTextWatermark::kind(),  &OVImageWatermark::kind(), &OVStrikethroughWatermark::kind(),
            &OVShapeWatermark::kind(), &OVArrowWatermark::kind(), &OVPixellateWatermark::kind(),
        };
        OVKeyedClassRegistry::add<OVWatermark>("OVWatermark");
        for (const OVWatermarkKind* kind : list)
            kind->registerArchivedClass();
        return list;
    }();
    return kinds;
}

const OVWatermarkKind* OVWatermarkKindOfType(OVWatermarkType type) {
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds())
        if (kind->type == type)
            return kind;
    return nullptr;
}

const OVWatermarkKind* OVWatermarkKindNamed(std::string_view name) {
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds())
        if (kind->name == name)
            return kind;
    return nullptr;
}

const OVWatermarkKind* OVWatermarkKindOf(const OVWatermark& watermark) {
    return OVWatermarkKindOfType(watermark.type());
}

const OVWatermarkKind* OVWatermarkKindOfInstance(const OVWatermark& watermark) {
    const OVWatermarkKind* kind = OVWatermarkKindOf(watermark);
    return kind && kind->classType && *kind->classType == typeid(watermark) ? kind : nullptr;
}

const OVWatermarkProperty* OVWatermarkKind::property(std::string_view keyOrOption) const {
    auto byKey = std::find_if(properties.begin(), properties.end(),
                              [&](const OVWatermarkProperty& p) { return p.key == keyOrOption; });
    if (byKey != properties.end())
        return &*byKey;
    auto byOption =
        std::find_if(properties.begin(), properties.end(), [&](const OVWatermarkProperty& p) {
            return !p.option.empty() && p.option == keyOrOption;
        });
    return byOption != properties.end() ? &*byOption : nullptr;
}

bool OVWatermarkIsTiled(const OVWatermark& watermark) {
    const OVWatermarkKind* kind = OVWatermarkKindOfInstance(watermark);
    return kind && kind->drawsWith(OVSharedSettingTiling) && watermark.tiling().enabled;
}
