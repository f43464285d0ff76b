#include "inkstead/watermarks/OVWatermarkKind_p.h"

// The tiling settings, shared by the kinds that repeat over the image.

namespace ov::detail {

namespace {

OVWatermarkProperty tilingProperty(std::string_view key, std::string_view option,
                                   std::string_view label, OVPropertyType type,
                                   OVPropertyValue defaultValue, double OVTiling::*number,
                                   bool OVTiling::*flag) {
    OVWatermarkProperty property;
    property.key = key;
    property.option = option;
    property.label = label;
    property.type = type;
    property.defaultValue = std::move(defaultValue);
    property.additional = true;
    property.get = [number, flag](const OVWatermark& w) {
        const OVTiling tiling = w.tiling();
        return number ? OVPropertyValue(tiling.*number) : OVPropertyValue(tiling.*flag);
    };
    property.set = [number, flag](OVWatermark& w, const OVPropertyValue& v) {
        OVTiling tiling = w.tiling();
        if (number)
            tiling.*number = std::get<double>(v);
        else
            tiling.*flag = std::get<bool>(v);
        w.setTiling(tiling);
    };
    return property;
}

} // namespace

std::vector<OVWatermarkProperty> tilingProperties() {
    const OVTiling defaults;
    auto spacing = tilingProperty("tileSpacing", "tile-spacing", "Tile spacing",
                                  OVPropertyType::Number, defaults.spacing, &OVTiling::spacing,
                                  nullptr);
    spacing.maximum = kOVTilingMaxSpacing;
    auto angle = tilingProperty("tileAngle", "tile-angle", "Tile grid angle", OVPropertyType::Number,
                                defaults.angle, &OVTiling::angle, nullptr);
    angle.minimum = -kOVTilingMaxAngle;
    angle.maximum = kOVTilingMaxAngle;
    return {
        tilingProperty("tiled", "tile", "Repeat over the image", OVPropertyType::Bool,
                       defaults.enabled, nullptr, &OVTiling::enabled),
        std::move(spacing),
        tilingProperty("tileOffsetRows", "tile-offset", "Offset alternate rows",
                       OVPropertyType::Bool, defaults.offsetRows, nullptr, &OVTiling::offsetRows),
        std::move(angle),
    };
}

std::vector<OVWatermarkProperty> joined(std::vector<OVWatermarkProperty> list,
                                        std::vector<OVWatermarkProperty> more) {
    for (auto& property : more)
        list.push_back(std::move(property));
    return list;
}

} // namespace ov::detail
