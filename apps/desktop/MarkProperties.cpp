#include "MarkProperties.h"

#include "PlacementProperties.h"
#include "inkstead/watermarks/OVWatermark.h"

#include <functional>

namespace {

double number(const OVPropertyValue& v) {
    return std::get<double>(v);
}

} // namespace

OVWatermarkProperty appProperty(std::string_view key, std::string_view label, OVPropertyType type,
                                double minimum, double maximum, PropertyGetter get,
                                PropertySetter set, std::vector<std::string_view> choices) {
    OVWatermarkProperty p;
    p.key = key;
    p.option = key;
    p.label = label;
    p.type = type;
    p.minimum = minimum;
    p.maximum = maximum;
    p.choices = std::move(choices);
    p.get = std::move(get);
    p.set = std::move(set);
    return p;
}

std::vector<OVWatermarkProperty> markPropertiesOf(const OVWatermark* watermark) {
    // A watermark whose class is not its type code's kind (a damaged preset) offers nothing.
    const OVWatermarkKind* kind = watermark ? OVWatermarkKindOfInstance(*watermark) : nullptr;
    if (!kind)
        return {};
    std::vector<OVWatermarkProperty> list;
    for (const auto& p : kind->properties)
        if (p.editable && p.type != OVPropertyType::Point && p.type != OVPropertyType::Size)
            list.push_back(p);
    if (kind->drawsWith(OVSharedSettingOpacity))
        list.push_back(appProperty(
            "alpha", "Opacity", OVPropertyType::Number, 0, 1,
            [](const OVWatermark& w) { return OVPropertyValue(w.alpha()); },
            [](OVWatermark& w, const OVPropertyValue& v) { w.setAlpha(number(v)); }));
    if (kind->drawsWith(OVSharedSettingShadow))
        list.push_back(appProperty(
            "shadow", "Shadow", OVPropertyType::Number, 0, 1,
            [](const OVWatermark& w) { return OVPropertyValue(w.shadow()); },
            [](OVWatermark& w, const OVPropertyValue& v) { w.setShadow(number(v)); }));
    if (kind->drawsWith(OVSharedSettingRotation))
        list.push_back(appProperty(
            "rotation", "Rotation", OVPropertyType::Number, -180, 180,
            [](const OVWatermark& w) { return OVPropertyValue(w.rotation()); },
            [](OVWatermark& w, const OVPropertyValue& v) { w.setRotation(number(v)); }));
    if (kind->drawsWith(OVSharedSettingAnchorPlacement))
        for (auto& p : anchorPlacementProperties())
            list.push_back(std::move(p));
    else if (kind->drawsWith(OVSharedSettingAreaPlacement))
        list.push_back(areaPlacementProperty());
    return list;
}

std::string markKindTitle(const OVWatermark& watermark) {
    const OVWatermarkKind* kind = OVWatermarkKindOf(watermark);
    return kind ? std::string(kind->title) : std::string("Watermark");
}
