#include "inkstead/watermarks/OVWatermark.h"

#include "inkstead/watermarks/OVWatermarkKind.h"

#include <algorithm>
#include <cmath>

namespace {

// The kind's additional settings that differ from their defaults, each under its key.
void encodeAdditional(const OVWatermark& watermark, ov::KeyedArchiver& coder) {
    const OVWatermarkKind* kind = OVWatermarkKindOfInstance(watermark);
    if (!kind)
        return;
    for (const auto& property : kind->properties) {
        if (!property.additional)
            continue;
        const OVPropertyValue value = property.get(watermark);
        if (value == property.defaultValue)
            continue;
        switch (property.type) {
        case OVPropertyType::Bool:
            coder.encodeBoolNumber(std::get<bool>(value), property.key);
            break;
        case OVPropertyType::Number:
            coder.encodeDouble(std::get<double>(value), property.key);
            break;
        case OVPropertyType::Choice:
            coder.encodeInt64(static_cast<std::int64_t>(std::get<double>(value)), property.key);
            break;
        case OVPropertyType::Color:
            coder.encodeColor(std::get<std::optional<ov::Color>>(value), property.key);
            break;
        case OVPropertyType::Text:
        case OVPropertyType::FontName:
            coder.encodeString(std::get<std::string>(value), property.key);
            break;
        default:
            break;
        }
    }
}

// The kind's additional settings the record holds; values out of range (damaged records) are
// brought into it.
void decodeAdditional(OVWatermark& watermark, ov::KeyedUnarchiver& coder) {
    const OVWatermarkKind* kind = OVWatermarkKindOfInstance(watermark);
    if (!kind)
        return;
    for (const auto& property : kind->properties) {
        if (!property.additional || !coder.containsValueForKey(property.key))
            continue;
        const auto inRange = [&](double v) {
            return std::isfinite(v) ? std::clamp(v, property.minimum, property.maximum)
                                    : property.minimum;
        };
        switch (property.type) {
        case OVPropertyType::Bool:
            property.set(watermark, coder.decodeBoolNumber(property.key));
            break;
        case OVPropertyType::Number:
            property.set(watermark, inRange(coder.decodeDouble(property.key)));
            break;
        case OVPropertyType::Choice:
            property.set(watermark,
                         inRange(static_cast<double>(coder.decodeInt64(property.key))));
            break;
        case OVPropertyType::Color:
            property.set(watermark, coder.decodeColor(property.key));
            break;
        case OVPropertyType::Text:
        case OVPropertyType::FontName:
            if (auto text = coder.decodeString(property.key))
                property.set(watermark, *text);
            break;
        default:
            break;
        }
    }
}

} // namespace

// The base record of every watermark kind. Doubles are stored as 32-bit floats and flags as
// boolean number objects; the kind's class name is recorded by the archiver.

void OVWatermark::encodeWithCoder(ov::KeyedArchiver& coder) const {
    coder.encodePoint(origin(), kOVWatermarkOriginKey);
    coder.encodeSize(size(), kOVWatermarkSizeKey);
    coder.encodeInt64(static_cast<std::int64_t>(type()), kOVWatermarkTypeKey);
    // A record read without identifier or title is written back without them.
    const ov::UUID identifier = uuid();
    coder.encodeUUID(identifier.isNil() ? std::nullopt : std::optional(identifier),
                     kOVWatermarkIDKey);
    const std::string text = title();
    coder.encodeString(hasTitle() ? std::optional<std::string_view>(text) : std::nullopt,
                       kOVWatermarkTitleKey);
    coder.encodeFloat(static_cast<float>(alpha()), kOVWatermarkAlphaKey);
    coder.encodeFloat(static_cast<float>(rotation()), kOVWatermarkRotationKey);
    coder.encodeFloat(static_cast<float>(shadow()), kOVWatermarkShadowKey);
    coder.encodePoint(relativePosition(), kOVWatermarkRelativePositionKey);
    coder.encodeSize(relativeSize(), kOVWatermarkRelativeSizeKey);
    coder.encodeBoolNumber(shouldResizeProportionally(), kOVWatermarkProportionalKey);
    coder.encodeBoolNumber(shouldUseRelativePosition(), kOVWatermarkShouldUseRelativePositionKey);
    coder.encodeBoolNumber(shouldUseRelativeSize(), kOVWatermarkShouldUseRelativeSizeKey);
    coder.encodeInt64(static_cast<std::int64_t>(relativeQuadrant()),
                      kOVWatermarkRelativeQuadrantKey);
    coder.encodeBoolNumber(hasMaxSize(), kOVWatermarkHasMaxSizeKey);
    coder.encodeSize(maxSize(), kOVWatermarkMaxSizeKey);

    coder.encodeBoolNumber(isRelativePositionComputed(), kOVWatermarkRelativePositionComputedKey);
    coder.encodeBoolNumber(isRelativeSizeComputed(), kOVWatermarkRelativeSizeComputedKey);
    if (const auto placed = placement()) {
        coder.encodeInt64(static_cast<std::int64_t>(placed->anchor),
                          kOVWatermarkPlacementAnchorKey);
        coder.encodeInt64(static_cast<std::int64_t>(placed->marginUnit),
                          kOVWatermarkPlacementMarginUnitKey);
        coder.encodeDouble(placed->margin, kOVWatermarkPlacementMarginKey);
        coder.encodeInt64(static_cast<std::int64_t>(placed->sizeRule),
                          kOVWatermarkPlacementSizeRuleKey);
        coder.encodeDouble(placed->size, kOVWatermarkPlacementSizeKey);
    }
    encodeAdditional(*this, coder);
}

bool OVWatermark::initWithCoder(ov::KeyedUnarchiver& coder) {
    setVisible(true);
    // Stored values go straight in: setSize() would clamp to a maximum size not yet read, and
    // the placement setters would recompute what the record already holds.
    origin_ = coder.decodePoint(kOVWatermarkOriginKey);
    size_ = coder.decodeSize(kOVWatermarkSizeKey);
    type_ = static_cast<OVWatermarkType>(coder.decodeInt64(kOVWatermarkTypeKey));
    uuid_ = coder.decodeUUID(kOVWatermarkIDKey).value_or(ov::UUID());
    title_ = coder.decodeString(kOVWatermarkTitleKey);
    alpha_ = coder.decodeFloat(kOVWatermarkAlphaKey);
    rotation_ = coder.decodeFloat(kOVWatermarkRotationKey);
    shadow_ = coder.decodeFloat(kOVWatermarkShadowKey);
    relativePosition_ = coder.decodePoint(kOVWatermarkRelativePositionKey);
    relativeSize_ = coder.decodeSize(kOVWatermarkRelativeSizeKey);
    shouldResizeProportionally_ = coder.decodeBoolNumber(kOVWatermarkProportionalKey);
    shouldUseRelativePosition_ = coder.decodeBoolNumber(kOVWatermarkShouldUseRelativePositionKey);
    shouldUseRelativeSize_ = coder.decodeBoolNumber(kOVWatermarkShouldUseRelativeSizeKey);
    relativeQuadrant_ =
        static_cast<OVRelativeQuadrant>(coder.decodeInt64(kOVWatermarkRelativeQuadrantKey));
    hasMaxSize_ = coder.decodeBoolNumber(kOVWatermarkHasMaxSizeKey);
    maxSize_ = coder.decodeSize(kOVWatermarkMaxSizeKey);

    // Files written before these keys existed follow the legacy rule of the special values.
    relativePositionComputed_ =
        coder.containsValueForKey(kOVWatermarkRelativePositionComputedKey)
            ? coder.decodeBoolNumber(kOVWatermarkRelativePositionComputedKey)
            : !(relativePosition_ == ov::Point{0, 0});
    relativeSizeComputed_ =
        coder.containsValueForKey(kOVWatermarkRelativeSizeComputedKey)
            ? coder.decodeBoolNumber(kOVWatermarkRelativeSizeComputedKey)
            : !(relativeSize_ == ov::Size{0, 0}) && !(relativeSize_ == ov::Size{1, 1});
    placement_.reset();
    if (coder.containsValueForKey(kOVWatermarkPlacementAnchorKey)) {
        OVPlacement placed;
        // Out-of-range numbers from a damaged record make the placement invalid; it is dropped.
        auto small = [](std::int64_t v) {
            return static_cast<std::uint8_t>(v < 0 || v > 255 ? 255 : v);
        };
        placed.anchor = static_cast<OVPlacementAnchor>(
            small(coder.decodeInt64(kOVWatermarkPlacementAnchorKey)));
        placed.marginUnit = static_cast<OVPlacementMarginUnit>(
            small(coder.decodeInt64(kOVWatermarkPlacementMarginUnitKey)));
        placed.margin = coder.decodeDouble(kOVWatermarkPlacementMarginKey);
        placed.sizeRule = static_cast<OVPlacementSizeRule>(
            small(coder.decodeInt64(kOVWatermarkPlacementSizeRuleKey)));
        placed.size = coder.decodeDouble(kOVWatermarkPlacementSizeKey);
        if (placed.isValid())
            placement_ = placed;
    }
    decodeAdditional(*this, coder);
    return true;
}
