#include "MarkSummary.h"

#include "CliSupport.h"

#include "MarkPlacement.h"
#include "MarkValues.h"

#include "watermarks/OVArrowWatermark.h"
#include "watermarks/OVImageWatermark.h"
#include "watermarks/OVPixellateWatermark.h"
#include "watermarks/OVShapeWatermark.h"
#include "watermarks/OVStrikethroughWatermark.h"
#include "watermarks/OVTextWatermark.h"

#include <algorithm>

namespace cli {
namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::string colorText(const std::optional<ov::Color>& color) {
    return color ? formatColor(*color) : "none";
}

std::size_t displayWidth(const std::string& text) {
    // UTF-8 continuation bytes take no column of their own.
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Where a boxed mark sits, from its relative placement.
std::string placementText(const OVWatermark& mark) {
    if (!mark.shouldUseRelativePosition())
        return "at " + number(mark.origin().x) + "," + number(mark.origin().y);
    const BoxPlacement placement = currentPlacement(mark);
    std::string text = anchorName(placement.anchor);
    if (placement.marginX == placement.marginY)
        text += ", margin " + formatPercent(placement.marginX);
    else
        text += ", margin " + formatPercent(placement.marginX) + " x " +
                formatPercent(placement.marginY);
    if (placement.width > 0)
        text += ", width " + formatPercent(placement.width);
    return text;
}

// The area a shape or pixellated region covers, as --rect takes it.
std::string rectText(const OVWatermark& mark) {
    if (!mark.shouldUseRelativePosition() || !mark.shouldUseRelativeSize())
        return placementText(mark);
    const BoxPlacement placement = currentPlacement(mark);
    const ov::Size size = mark.relativeSize();
    const bool right =
        placement.anchor == MarkAnchor::TopRight || placement.anchor == MarkAnchor::BottomRight;
    const bool bottom =
        placement.anchor == MarkAnchor::BottomLeft || placement.anchor == MarkAnchor::BottomRight;
    const double x = right ? 1 - placement.marginX - size.width : placement.marginX;
    const double y = bottom ? 1 - placement.marginY - size.height : placement.marginY;
    return "rect " + formatPercent(x) + "," + formatPercent(y) + "," + formatPercent(size.width) +
           "," + formatPercent(size.height);
}

std::string pointText(ov::Size fractions) {
    // Arrow fractions are measured upward; the options measure from the top.
    return formatPercent(fractions.width) + "," + formatPercent(1 - fractions.height);
}

} // namespace

std::string markKindName(const OVWatermark& mark) {
    static const char* names[] = {"text", "image", "strikethrough", "shape", "arrow", "pixellate"};
    const auto type = static_cast<std::size_t>(mark.type());
    return type < 6 ? names[type] : "unknown";
}

std::string describeMark(const OVWatermark& mark) {
    std::vector<std::string> parts;
    if (const auto* text = dynamic_cast<const OVTextWatermark*>(&mark)) {
        parts.push_back(placementText(mark));
        parts.push_back("\"" + text->stringValue().value_or("") + "\"");
        const auto font = text->font();
        parts.push_back("font " + (font && !font->fontName().empty() ? font->fontName()
                                                                     : std::string("Helvetica")));
        parts.push_back(text->shouldUseDynamicFontSize()
                            ? "size follows the image"
                            : "size " + number(text->fontSize()) + " pt");
        parts.push_back("color " + colorText(text->fontColor()));
    } else if (const auto* image = dynamic_cast<const OVImageWatermark*>(&mark)) {
        parts.push_back(placementText(mark));
        if (image->hasMaxSize())
            parts.push_back("picture " + number(image->maxSize().width) + "x" +
                            number(image->maxSize().height) + " px");
    } else if (const auto* shape = dynamic_cast<const OVShapeWatermark*>(&mark)) {
        parts.push_back(rectText(mark));
        parts.push_back(shape->shapeType() == OVShapeTypeCircle ? "circle" : "square");
        parts.push_back("color " + colorText(shape->strokeColor()));
        parts.push_back("fill " + colorText(shape->fillColor()));
        parts.push_back("stroke " + number(shape->strokeThickness()));
        if (shape->lineDash() > 0)
            parts.push_back("dash " + number(shape->lineDash()));
    } else if (const auto* arrow = dynamic_cast<const OVArrowWatermark*>(&mark)) {
        parts.push_back("from " + pointText(arrow->relativeBeginning()) + " to " +
                        pointText(arrow->relativeEnding()));
        parts.push_back("color " + colorText(arrow->strokeColor()));
        parts.push_back("stroke " + number(arrow->strokeThickness()));
    } else if (const auto* strike = dynamic_cast<const OVStrikethroughWatermark*>(&mark)) {
        parts.push_back("across the image");
        parts.push_back("color " + colorText(strike->color()));
        parts.push_back("stroke " + number(strike->strokeThickness()));
        if (strike->lineDash() > 0)
            parts.push_back("dash " + number(strike->lineDash()));
    } else if (const auto* pixellate = dynamic_cast<const OVPixellateWatermark*>(&mark)) {
        parts.push_back(rectText(mark));
        parts.push_back("blocks " + number(pixellate->intensity()));
    }
    if (mark.alpha() != 1 && mark.type() != OVWatermarkTypePixellate)
        parts.push_back("opacity " + number(mark.alpha()));
    if (mark.rotation() != 0 && mark.type() != OVWatermarkTypeArrow &&
        mark.type() != OVWatermarkTypeStrikethrough && mark.type() != OVWatermarkTypeShape)
        parts.push_back("rotation " + number(mark.rotation()));
    if (mark.shadow() != 0)
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
    if (preset.shouldStripMetadata())
        text += ", no location";
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
