#include "inkstead/watermarks/OVWatermarkSummary.h"

#include "inkstead/geometry/OVNumberText.h"
#include "inkstead/watermarks/OVWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <cstdio>
#include <vector>

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::string widthText(const OVPlacement& placement) {
    switch (placement.sizeRule) {
    case OVPlacementSizeRule::Unchanged:
        return {};
    case OVPlacementSizeRule::WidthFraction:
        return "width " + OVPercentString(placement.size);
    case OVPlacementSizeRule::LongerSideFraction:
        return "width " + OVPercentString(placement.size) + " of the longer side";
    case OVPlacementSizeRule::ShorterSideFraction:
        return "width " + OVPercentString(placement.size) + " of the shorter side";
    case OVPlacementSizeRule::Pixels:
        return "width " + number(placement.size) + " px";
    }
    return {};
}

// Where a mark sits, in the words of the options that place it.
std::string placementText(const OVWatermark& mark, const OVWatermarkKind& kind) {
    if (kind.property("relativeBegin")) {
        auto point = [&](std::string_view key) {
            // Arrow fractions are measured upward; the options measure from the top.
            const auto f = std::get<ov::Size>(kind.property(key)->get(mark));
            return OVPercentString(f.width) + "," + OVPercentString(1 - f.height);
        };
        return "from " + point("relativeBegin") + " to " + point("relativeEnd");
    }
    if (!kind.drawsWith(OVSharedSettingAnchorPlacement))
        return "across the image";
    if (const auto placement = mark.placement()) {
        std::string text(OVPlacementAnchorName(placement->anchor));
        text += ", margin " + (placement->marginUnit == OVPlacementMarginUnit::Pixels
                                   ? number(placement->margin) + " px"
                                   : OVPercentString(placement->margin));
        if (const std::string width = widthText(*placement); !width.empty())
            text += ", " + width;
        return text;
    }
    if (const auto area = mark.area(); area && kind.drawsWith(OVSharedSettingAreaPlacement))
        return "rect " + OVPercentString(area->origin.x) + "," + OVPercentString(area->origin.y) +
               "," + OVPercentString(area->size.width) + "," + OVPercentString(area->size.height);
    return "at " + number(mark.origin().x) + "," + number(mark.origin().y);
}

// One editable property in the words of its option.
std::string propertyText(const OVWatermark& mark, const OVWatermarkProperty& property) {
    const OVPropertyValue value = property.get(mark);
    // Settings that older marks lack say something only where they were changed.
    if (property.additional && value == property.defaultValue)
        return {};
    if (property.key == "fontSize")
        return mark.shouldUseDynamicFontSize() ? "size follows the image"
                                               : "size " + number(std::get<double>(value)) + " pt";
    switch (property.type) {
    case OVPropertyType::Text:
        return "\"" + std::get<std::string>(value) + "\"";
    case OVPropertyType::FontName: {
        const auto& name = std::get<std::string>(value);
        return "font " + (name.empty() ? std::string("Helvetica") : name);
    }
    case OVPropertyType::Number:
        if (property.key == "lineDash" && std::get<double>(value) == 0)
            return {};
        return std::string(property.option) + " " + number(std::get<double>(value));
    case OVPropertyType::Color:
        return std::string(property.option) + " " + OVPropertyValueString(property, value);
    case OVPropertyType::Choice:
        return OVPropertyValueString(property, value);
    case OVPropertyType::Picture:
        // The cap is the picture's size; reading the file for a listing is not worth it.
        if (!mark.hasMaxSize())
            return {};
        return "picture " + number(mark.maxSize().width) + "x" + number(mark.maxSize().height) +
               " px";
    case OVPropertyType::Bool:
    case OVPropertyType::Point:
    case OVPropertyType::Size:
        return {};
    }
    return {};
}

} // namespace

std::string OVWatermarkKindName(const OVWatermark& mark) {
    const OVWatermarkKind* kind = OVWatermarkKindOf(mark);
    return kind ? std::string(kind->name) : "unknown";
}

std::string OVWatermarkSummary(const OVWatermark& mark) {
    const OVWatermarkKind* kind = OVWatermarkKindOfInstance(mark);
    if (!kind)
        return "a watermark of an unknown kind";
    std::vector<std::string> parts{placementText(mark, *kind)};
    for (const auto& property : kind->properties)
        if (property.editable)
            if (std::string text = propertyText(mark, property); !text.empty())
                parts.push_back(std::move(text));
    if (mark.alpha() != 1 && kind->drawsWith(OVSharedSettingOpacity))
        parts.push_back("opacity " + number(mark.alpha()));
    if (mark.rotation() != 0 && kind->drawsWith(OVSharedSettingRotation))
        parts.push_back("rotation " + number(mark.rotation()));
    if (mark.shadow() != 0 && kind->drawsWith(OVSharedSettingShadow))
        parts.push_back("shadow " + number(mark.shadow()));
    std::string text;
    for (const auto& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}
