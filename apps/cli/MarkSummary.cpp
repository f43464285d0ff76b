#include "MarkSummary.h"

#include "CliSupport.h"
#include "MarkValues.h"

#include "inkstead/watermarks/OVWatermarkKind.h"

#include <algorithm>

namespace cli {
namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::size_t displayWidth(const std::string& text) {
    // UTF-8 continuation bytes take no column of their own.
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
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
        return "rect " + OVPercentString(area->origin.x) + "," + OVPercentString(area->origin.y) + "," +
               OVPercentString(area->size.width) + "," + OVPercentString(area->size.height);
    return "at " + number(mark.origin().x) + "," + number(mark.origin().y);
}

// One editable property in the words of its option.
std::string propertyText(const OVWatermark& mark, const OVWatermarkProperty& property) {
    const OVPropertyValue value = property.get(mark);
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

std::string markKindName(const OVWatermark& mark) {
    const OVWatermarkKind* kind = OVWatermarkKindOf(mark);
    return kind ? std::string(kind->name) : "unknown";
}

std::string describeMark(const OVWatermark& mark) {
    const OVWatermarkKind* kind = OVWatermarkKindOf(mark);
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

std::string presetExportSummary(const OVPreset& preset) {
    std::string text = "original size";
    if (preset.shouldResize()) {
        static const char* sides[] = {"width", "height", "long side"};
        const auto constraint = static_cast<std::size_t>(preset.resizeConstraint());
        text = constraint < 3 ? sides[constraint] : "side";
        double value = preset.resizeValue();
        if (preset.resizeMethod() == OVResizeMethodPercentage)
            text += " " + number(value > 1 ? value : value * 100) + "%";
        else
            text += " " + number(value) + " px";
    }
    static const char* metadata[] = {"", ", no location", ", no location or private data",
                                     ", only the copyright metadata"};
    text += metadata[std::min<std::uint64_t>(preset.metadataPolicy(), 3)];
    if (const auto type = OVOutputFormatType(preset.outputFormat()); !type.empty())
        text += ", as " + std::string(kOVOutputFormatNames[preset.outputFormat()]);
    return text;
}

std::string formatTable(const std::vector<std::vector<std::string>>& rawRows) {
    std::vector<std::vector<std::string>> rows = rawRows;
    for (auto& row : rows)
        for (auto& cell : row)
            cell = printable(cell);
    std::vector<std::size_t> widths;
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.push_back(0);
            widths[i] = std::max(widths[i], displayWidth(row[i]));
        }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - displayWidth(row[i]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
    return out;
}

} // namespace cli
