#include "MarkProperties.h"

#include "inkstead/watermarks/OVPlacement.h"
#include "inkstead/watermarks/OVWatermark.h"

#include <functional>

namespace {

using Getter = std::function<OVPropertyValue(const OVWatermark&)>;
using Setter = std::function<void(OVWatermark&, const OVPropertyValue&)>;

OVWatermarkProperty shared(std::string_view key, std::string_view label, OVPropertyType type,
                           double minimum, double maximum, Getter get, Setter set,
                           std::vector<std::string_view> choices = {}) {
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

double number(const OVPropertyValue& v) {
    return std::get<double>(v);
}

// Changes one field of the watermark's placement (turning placement on).
void changePlacement(OVWatermark& w, const std::function<void(OVPlacement&)>& change) {
    OVPlacement placement = w.effectivePlacement();
    change(placement);
    if (placement.isValid())
        w.setPlacement(placement);
}

std::vector<OVWatermarkProperty> anchorPlacement() {
    std::vector<std::string_view> anchors;
    for (int a = 0; a <= static_cast<int>(OVPlacementAnchor::TopRight); ++a)
        anchors.push_back(OVPlacementAnchorName(static_cast<OVPlacementAnchor>(a)));
    return {
        shared(
            "placed", "Keep to the image", OVPropertyType::Bool, 0, 0,
            [](const OVWatermark& w) { return OVPropertyValue(w.placement().has_value()); },
            [](OVWatermark& w, const OVPropertyValue& v) {
                w.setPlacement(std::get<bool>(v) ? std::optional(w.effectivePlacement())
                                                 : std::nullopt);
            }),
        shared(
            "anchor", "Anchor", OVPropertyType::Choice, 0, anchors.size() - 1.0,
            [](const OVWatermark& w) {
                return OVPropertyValue(static_cast<double>(w.effectivePlacement().anchor));
            },
            [](OVWatermark& w, const OVPropertyValue& v) {
                changePlacement(w, [&](OVPlacement& p) {
                    p.anchor = static_cast<OVPlacementAnchor>(static_cast<int>(number(v)));
                });
            },
            anchors),
        shared(
            "margin", "Margin (% of shorter side)", OVPropertyType::Number, 0, 49,
            [](const OVWatermark& w) {
                const OVPlacement p = w.effectivePlacement();
                return OVPropertyValue(
                    p.marginUnit == OVPlacementMarginUnit::Pixels ? 0.0 : p.margin * 100);
            },
            [](OVWatermark& w, const OVPropertyValue& v) {
                changePlacement(w, [&](OVPlacement& p) {
                    p.marginUnit = OVPlacementMarginUnit::ShorterSideFraction;
                    p.margin = number(v) / 100;
                });
            }),
        shared(
            "width", "Width (% of image, 0 keeps it)", OVPropertyType::Number, 0, 100,
            [](const OVWatermark& w) {
                const OVPlacement p = w.effectivePlacement();
                return OVPropertyValue(
                    p.sizeRule == OVPlacementSizeRule::WidthFraction ? p.size * 100 : 0.0);
            },
            [](OVWatermark& w, const OVPropertyValue& v) {
                changePlacement(w, [&](OVPlacement& p) {
                    p.sizeRule = number(v) > 0 ? OVPlacementSizeRule::WidthFraction
                                               : OVPlacementSizeRule::Unchanged;
                    p.size = number(v) / 100;
                });
            }),
    };
}

OVWatermarkProperty areaPlacement() {
    return shared(
        "followsImage", "Keep to the image", OVPropertyType::Bool, 0, 0,
        [](const OVWatermark& w) {
            return OVPropertyValue(w.shouldUseRelativePosition() && w.shouldUseRelativeSize());
        },
        [](OVWatermark& w, const OVPropertyValue& v) {
            w.setShouldUseRelativePosition(std::get<bool>(v));
            w.setShouldUseRelativeSize(std::get<bool>(v));
            if (std::get<bool>(v))
                w.calculateRelativePosition();
        });
}

} // namespace

std::vector<OVWatermarkProperty> markPropertiesOf(const OVWatermark* watermark) {
    const OVWatermarkKind* kind = watermark ? OVWatermarkKindOf(*watermark) : nullptr;
    if (!kind)
        return {};
    std::vector<OVWatermarkProperty> list;
    for (const auto& p : kind->properties)
        if (p.editable && p.type != OVPropertyType::Point && p.type != OVPropertyType::Size)
            list.push_back(p);
    if (kind->drawsWith(OVSharedSettingOpacity))
        list.push_back(shared(
            "alpha", "Opacity", OVPropertyType::Number, 0, 1,
            [](const OVWatermark& w) { return OVPropertyValue(w.alpha()); },
            [](OVWatermark& w, const OVPropertyValue& v) { w.setAlpha(number(v)); }));
    if (kind->drawsWith(OVSharedSettingShadow))
        list.push_back(shared(
            "shadow", "Shadow", OVPropertyType::Number, 0, 1,
            [](const OVWatermark& w) { return OVPropertyValue(w.shadow()); },
            [](OVWatermark& w, const OVPropertyValue& v) { w.setShadow(number(v)); }));
    if (kind->drawsWith(OVSharedSettingRotation))
        list.push_back(shared(
            "rotation", "Rotation", OVPropertyType::Number, -180, 180,
            [](const OVWatermark& w) { return OVPropertyValue(w.rotation()); },
            [](OVWatermark& w, const OVPropertyValue& v) { w.setRotation(number(v)); }));
    if (kind->drawsWith(OVSharedSettingAnchorPlacement))
        for (auto& p : anchorPlacement())
            list.push_back(std::move(p));
    else if (kind->drawsWith(OVSharedSettingAreaPlacement))
        list.push_back(areaPlacement());
    return list;
}

std::string markKindTitle(const OVWatermark& watermark) {
    const OVWatermarkKind* kind = OVWatermarkKindOf(watermark);
    return kind ? std::string(kind->title) : std::string("Watermark");
}
