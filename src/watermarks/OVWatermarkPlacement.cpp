#include "inkstead/watermarks/OVWatermark.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

// Placement by anchor, margin and size, and the names of the anchors.

namespace {

constexpr ov::Rect kReferenceBounds = kOVPlacementReferenceBounds;

constexpr std::array<std::string_view, 9> kAnchorNames{"bottom-left", "bottom", "bottom-right",
                                                       "left",        "center", "right",
                                                       "top-left",    "top",    "top-right"};

bool finiteNonNegative(double value) {
    return std::isfinite(value) && value >= 0;
}

// The corner the relative data are measured from for an anchor: the anchor's own corner, the
// left or bottom one on a centred axis.
OVRelativeQuadrant quadrantFor(const OVPlacement& placement) {
    const bool right = placement.horizontalSide() > 0;
    const bool top = placement.verticalSide() > 0;
    if (top)
        return right ? OVRelativeQuadrantTopRight : OVRelativeQuadrantTopLeft;
    return right ? OVRelativeQuadrantBottomRight : OVRelativeQuadrantBottomLeft;
}

} // namespace

double OVPlacement::marginIn(ov::Size image) const {
    if (marginUnit == OVPlacementMarginUnit::Pixels)
        return margin;
    return margin * std::min(image.width, image.height);
}

std::optional<double> OVPlacement::contentWidthIn(ov::Size image) const {
    double width = 0;
    switch (sizeRule) {
    case OVPlacementSizeRule::Unchanged:
        return std::nullopt;
    case OVPlacementSizeRule::WidthFraction:
        width = size * image.width;
        break;
    case OVPlacementSizeRule::LongerSideFraction:
        width = size * std::max(image.width, image.height);
        break;
    case OVPlacementSizeRule::ShorterSideFraction:
        width = size * std::min(image.width, image.height);
        break;
    case OVPlacementSizeRule::Pixels:
        width = size;
        break;
    }
    if (!(width > 0) || !std::isfinite(width))
        return std::nullopt;
    return width;
}

int OVPlacement::horizontalSide() const {
    const int column = static_cast<int>(anchor) % 3;
    return column - 1;
}

int OVPlacement::verticalSide() const {
    const int row = static_cast<int>(anchor) / 3;
    return row == 0 ? -1 : (row == 1 ? 0 : 1);
}

bool OVPlacement::isValid() const {
    if (static_cast<std::size_t>(anchor) >= kAnchorNames.size())
        return false;
    if (marginUnit != OVPlacementMarginUnit::ShorterSideFraction &&
        marginUnit != OVPlacementMarginUnit::Pixels)
        return false;
    if (!finiteNonNegative(margin) || !finiteNonNegative(size))
        return false;
    if (static_cast<int>(sizeRule) > static_cast<int>(OVPlacementSizeRule::Pixels))
        return false;
    return sizeRule == OVPlacementSizeRule::Unchanged || size > 0;
}

std::string_view OVPlacementAnchorName(OVPlacementAnchor anchor) {
    const auto index = static_cast<std::size_t>(anchor);
    return index < kAnchorNames.size() ? kAnchorNames[index] : std::string_view("center");
}

std::optional<OVPlacementAnchor> OVPlacementAnchorNamed(std::string_view name) {
    if (name == "centre" || name == "middle")
        return OVPlacementAnchor::Center;
    for (std::size_t i = 0; i < kAnchorNames.size(); ++i)
        if (kAnchorNames[i] == name)
            return static_cast<OVPlacementAnchor>(i);
    return std::nullopt;
}

namespace {

// "12px" → (true, 12); "3%" → (false, 0.03); "0.03" → (false, 0.03).
std::optional<std::pair<bool, double>> length(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    bool pixels = false, percent = false;
    if (text.ends_with("px")) {
        pixels = true;
        text.remove_suffix(2);
    } else if (text.ends_with('%')) {
        percent = true;
        text.remove_suffix(1);
    }
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return std::pair{pixels, percent ? value / 100 : value};
}

} // namespace

std::optional<std::pair<OVPlacementMarginUnit, double>>
OVPlacementMarginFromString(std::string_view text) {
    const auto margin = length(text);
    if (!margin || margin->second < 0 || (!margin->first && margin->second >= 0.5))
        return std::nullopt;
    return std::pair{margin->first ? OVPlacementMarginUnit::Pixels
                                   : OVPlacementMarginUnit::ShorterSideFraction,
                     margin->second};
}

std::optional<std::pair<OVPlacementSizeRule, double>>
OVPlacementSizeFromString(std::string_view text, std::string_view relativeTo) {
    const auto width = length(text);
    if (!width || width->second <= 0 || (!width->first && width->second > 1))
        return std::nullopt;
    if (width->first)
        return std::pair{OVPlacementSizeRule::Pixels, width->second};
    if (const auto rule = OVPlacementShareRuleNamed(relativeTo))
        return std::pair{*rule, width->second};
    return std::nullopt;
}

std::optional<OVPlacementSizeRule> OVPlacementShareRuleNamed(std::string_view relativeTo) {
    if (relativeTo == "width")
        return OVPlacementSizeRule::WidthFraction;
    if (relativeTo == "longer-side")
        return OVPlacementSizeRule::LongerSideFraction;
    if (relativeTo == "shorter-side")
        return OVPlacementSizeRule::ShorterSideFraction;
    return std::nullopt;
}

std::optional<OVPlacement> OVWatermark::placement() const {
    return placement_;
}

void OVWatermark::setPlacement(std::optional<OVPlacement> placement) {
    if (placement && !placement->isValid())
        return;
    placement_ = placement;
    if (!placement_)
        return;
    if (!(bounds().size == ov::SizeZero)) {
        applyPlacement();
        return;
    }
    // Laid out on the reference image, so the relative data describe the placement too; the
    // bounds are given back afterwards (directly: setBounds() would place again).
    const ov::Rect none = bounds_;
    bounds_ = kReferenceBounds;
    applyPlacement();
    bounds_ = none;
}

OVPlacement OVWatermark::effectivePlacement() const {
    if (const auto placed = placement())
        return *placed;
    OVPlacement nearest;
    switch (relativeQuadrant()) {
    case OVRelativeQuadrantTopLeft:
        nearest.anchor = OVPlacementAnchor::TopLeft;
        break;
    case OVRelativeQuadrantTopRight:
        nearest.anchor = OVPlacementAnchor::TopRight;
        break;
    case OVRelativeQuadrantBottomRight:
        nearest.anchor = OVPlacementAnchor::BottomRight;
        break;
    default:
        nearest.anchor = OVPlacementAnchor::BottomLeft;
        break;
    }
    // The gaps of the relative data are shares of the width and of the height; the horizontal
    // one stands for both.
    if (isRelativePositionComputed())
        nearest.margin = std::clamp(relativePosition().x, 0.0, 0.49);
    if (shouldUseRelativeSize() && isRelativeSizeComputed()) {
        nearest.sizeRule = OVPlacementSizeRule::WidthFraction;
        nearest.size = std::clamp(relativeSize().width, 1e-6, 1.0);
    }
    return nearest;
}

void OVWatermark::storePlacement(std::optional<OVPlacement> placement) {
    if (placement && !placement->isValid())
        return;
    placement_ = placement;
}

void OVWatermark::placeOverArea(ov::Rect area) {
    placement_.reset();
    const ov::Rect saved = bounds_;
    bounds_ = kReferenceBounds;
    const ov::Size image = kReferenceBounds.size;
    setShouldUseRelativePosition(true);
    setShouldUseRelativeSize(true);
    const bool capped = hasMaxSize();
    setHasMaxSize(false);
    setSize({area.size.width * image.width, area.size.height * image.height});
    setOrigin({area.origin.x * image.width,
               image.height - (area.origin.y + area.size.height) * image.height});
    calculateRelativePosition();
    setHasMaxSize(capped);
    bounds_ = saved;
    if (!(saved.size == ov::SizeZero)) {
        // Placed anew in the real bounds from the fractions just computed.
        bounds_ = ov::RectZero;
        setBounds(saved);
    }
}

std::optional<ov::Rect> OVWatermark::area() const {
    if (!shouldUseRelativePosition() || !shouldUseRelativeSize() || !isRelativePositionComputed() ||
        !isRelativeSizeComputed())
        return std::nullopt;
    const ov::Point gap = relativePosition();
    const ov::Size share = relativeSize();
    const OVRelativeQuadrant quadrant = relativeQuadrant();
    const bool right =
        quadrant == OVRelativeQuadrantBottomRight || quadrant == OVRelativeQuadrantTopRight;
    const bool top =
        quadrant == OVRelativeQuadrantTopLeft || quadrant == OVRelativeQuadrantTopRight;
    const double x = right ? 1 - gap.x - share.width : gap.x;
    const double y = top ? gap.y : 1 - gap.y - share.height;
    return ov::Rect{x, y, share.width, share.height};
}

void OVWatermark::setContentWidth(double width) {
    const ov::Size current = size();
    const double aspect = current.height > 0 ? current.width / current.height : 1;
    setSize({width, width / aspect});
}

ov::Rect OVWatermark::inkRect() const {
    return frame();
}

void OVWatermark::applyPlacement() {
    const auto wanted = placement();
    const ov::Rect image = bounds();
    if (!wanted || image.size.width <= 0 || image.size.height <= 0)
        return;

    if (const auto width = wanted->contentWidthIn(image.size))
        setContentWidth(*width);

    // The ink keeps the margin: a frame with spare room (a text's) would otherwise sit farther
    // from the right and bottom edges than from the others.
    const double margin = wanted->marginIn(image.size);
    const ov::Rect ink = inkRect();
    auto shiftAlong = [margin](int side, double low, double high, double inkLow, double inkHigh) {
        if (side < 0)
            return low + margin - inkLow;
        if (side > 0)
            return high - margin - inkHigh;
        return (low + high) / 2 - (inkLow + inkHigh) / 2;
    };
    const double dx =
        shiftAlong(wanted->horizontalSide(), image.minX(), image.maxX(), ink.minX(), ink.maxX());
    const double dy =
        shiftAlong(wanted->verticalSide(), image.minY(), image.maxY(), ink.minY(), ink.maxY());
    const ov::Point o = origin();
    setOrigin({o.x + dx, o.y + dy});

    // The relative data, measured from the anchor's corner, for readers that know no placement.
    const ov::Rect box = frame();
    const OVRelativeQuadrant quadrant = quadrantFor(*wanted);
    const bool right =
        quadrant == OVRelativeQuadrantBottomRight || quadrant == OVRelativeQuadrantTopRight;
    const bool top =
        quadrant == OVRelativeQuadrantTopLeft || quadrant == OVRelativeQuadrantTopRight;
    const double gapX = right ? image.maxX() - box.maxX() : box.minX() - image.minX();
    const double gapY = top ? image.maxY() - box.maxY() : box.minY() - image.minY();
    setRelativeQuadrant(quadrant);
    setRelativePosition({gapX / image.size.width, gapY / image.size.height});
    setRelativePositionComputed(true);
    const ov::Rect content = drawRect();
    setRelativeSize(
        {content.size.width / image.size.width, content.size.height / image.size.height});
    setRelativeSizeComputed(true);
    setShouldUseRelativePosition(true);
    if (wanted->sizeRule != OVPlacementSizeRule::Unchanged)
        setShouldUseRelativeSize(true);
}
