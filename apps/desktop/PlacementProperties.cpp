#include "PlacementProperties.h"

#include "MarkProperties.h"
#include "inkstead/watermarks/OVPlacement.h"
#include "inkstead/watermarks/OVWatermark.h"

#include <algorithm>
#include <functional>

namespace {

using Unit = OVPlacementMarginUnit;
using Rule = OVPlacementSizeRule;

// Shares are shown in per cent; a margin stays under half the shorter side.
constexpr double kMaxMarginPercent = 49.9;
constexpr double kMaxPixels = 100000;

double number(const OVPropertyValue& v) {
    return std::get<double>(v);
}

// The image the watermark is placed on, or the reference image while it has none.
ov::Size imageOf(const OVWatermark& w) {
    const ov::Size size = w.bounds().size;
    return size.width > 0 && size.height > 0 ? size : kOVPlacementReferenceBounds.size;
}

// The length a size rule measures against on `image`; 1 for pixels.
double ruleLength(Rule rule, ov::Size image) {
    switch (rule) {
    case Rule::WidthFraction:
        return image.width;
    case Rule::LongerSideFraction:
        return std::max(image.width, image.height);
    case Rule::ShorterSideFraction:
        return std::min(image.width, image.height);
    case Rule::Unchanged:
    case Rule::Pixels:
        break;
    }
    return 1;
}

bool isShare(Rule rule) {
    return rule != Rule::Unchanged && rule != Rule::Pixels;
}

// Changes the watermark's placement (turning placement on); an invalid result changes nothing.
void changePlacement(OVWatermark& w, const std::function<void(OVPlacement&)>& change) {
    OVPlacement placement = w.effectivePlacement();
    change(placement);
    if (placement.isValid())
        w.setPlacement(placement);
}

OVWatermarkProperty placementRow(std::string_view key, std::string_view label, OVPropertyType type,
                                 double maximum, std::function<double(const OVPlacement&)> get,
                                 std::function<void(OVPlacement&, double, ov::Size)> set,
                                 std::vector<std::string_view> choices = {}) {
    return appProperty(
        key, label, type, 0, maximum,
        [get](const OVWatermark& w) { return OVPropertyValue(get(w.effectivePlacement())); },
        [set](OVWatermark& w, const OVPropertyValue& v) {
            const ov::Size image = imageOf(w);
            changePlacement(w, [&](OVPlacement& p) { set(p, number(v), image); });
        },
        std::move(choices));
}

std::vector<std::string_view> anchorNames() {
    std::vector<std::string_view> names;
    for (int a = 0; a <= static_cast<int>(OVPlacementAnchor::TopRight); ++a)
        names.push_back(OVPlacementAnchorName(static_cast<OVPlacementAnchor>(a)));
    return names;
}

} // namespace

std::vector<OVWatermarkProperty> anchorPlacementProperties() {
    std::vector<OVWatermarkProperty> rows;
    rows.push_back(appProperty(
        "placed", "Keep to the image", OVPropertyType::Bool, 0, 0,
        [](const OVWatermark& w) { return OVPropertyValue(w.placement().has_value()); },
        [](OVWatermark& w, const OVPropertyValue& v) {
            w.setPlacement(std::get<bool>(v) ? std::optional(w.effectivePlacement())
                                             : std::nullopt);
        }));
    rows.push_back(placementRow(
        "anchor", "Anchor", OVPropertyType::Choice, 8,
        [](const OVPlacement& p) { return static_cast<double>(p.anchor); },
        [](OVPlacement& p, double v, ov::Size) {
            p.anchor = static_cast<OVPlacementAnchor>(static_cast<int>(v));
        },
        anchorNames()));
    rows.push_back(placementRow(
        "marginUnit", "Margin in", OVPropertyType::Choice, 1,
        [](const OVPlacement& p) { return static_cast<double>(p.marginUnit); },
        [](OVPlacement& p, double v, ov::Size image) {
            const auto unit = static_cast<Unit>(static_cast<int>(v));
            const double pixels = p.marginIn(image);
            const double shorter = std::min(image.width, image.height);
            p.margin =
                unit == Unit::Pixels ? pixels : std::min(pixels / shorter, kMaxMarginPercent / 100);
            p.marginUnit = unit;
        },
        {"% of shorter side", "pixels"}));
    rows.push_back(placementRow(
        "margin", "Margin", OVPropertyType::Number, kMaxPixels,
        [](const OVPlacement& p) {
            return p.marginUnit == Unit::Pixels ? p.margin : p.margin * 100;
        },
        [](OVPlacement& p, double v, ov::Size) {
            p.margin = p.marginUnit == Unit::Pixels ? v : std::min(v, kMaxMarginPercent) / 100;
        }));
    rows.push_back(placementRow(
        "sizeRule", "Width as", OVPropertyType::Choice, 4,
        [](const OVPlacement& p) { return static_cast<double>(p.sizeRule); },
        [](OVPlacement& p, double v, ov::Size image) {
            // The width it has now, measured the new way.
            const auto rule = static_cast<Rule>(static_cast<int>(v));
            const double width = p.contentWidthIn(image).value_or(image.width / 5);
            p.sizeRule = rule;
            p.size = rule == Rule::Unchanged ? 0
                                             : std::min(width / ruleLength(rule, image),
                                                        isShare(rule) ? 1.0 : kMaxPixels);
        },
        {"its own size", "% of width", "% of longer side", "% of shorter side", "pixels"}));
    rows.push_back(placementRow(
        "size", "Width", OVPropertyType::Number, kMaxPixels,
        [](const OVPlacement& p) { return isShare(p.sizeRule) ? p.size * 100 : p.size; },
        [](OVPlacement& p, double v, ov::Size) {
            if (p.sizeRule == Rule::Unchanged)
                p.sizeRule = Rule::WidthFraction; // a width asks for a rule
            p.size = isShare(p.sizeRule) ? std::min(v, 100.0) / 100 : v;
        }));
    return rows;
}

OVWatermarkProperty areaPlacementProperty() {
    return appProperty(
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
