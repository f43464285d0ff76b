#include "inkstead/watermarks/OVWatermarkKind_p.h"

// The settings of the base watermark, described like the kinds' own properties so that readers
// and writers of whole records (the preset JSON form) go through one table.

namespace {

using ov::detail::kMaxGeometry;

// A base setting read and written through the member functions given.
template <class Value>
OVWatermarkProperty setting(std::string_view key, std::string_view label,
                            Value (OVWatermark::*getter)() const,
                            void (OVWatermark::*setter)(Value), bool editable = false) {
    auto property = ov::detail::accessorProperty(key, {}, label, Value{}, getter, setter);
    property.editable = editable;
    return property;
}

OVWatermarkProperty ranged(OVWatermarkProperty property, double minimum, double maximum) {
    property.minimum = minimum;
    property.maximum = maximum;
    return property;
}

} // namespace

const std::vector<OVWatermarkProperty>& OVWatermarkBaseProperties() {
    using W = OVWatermark;
    static const std::vector<OVWatermarkProperty> properties = [] {
        auto quadrant = setting<OVRelativeQuadrant>("relativeQuadrant", "Nearest corner",
                                                    &W::relativeQuadrant, &W::setRelativeQuadrant);
        quadrant.choices = {"bottom-left", "bottom-right", "top-left", "top-right"};
        quadrant.maximum = 3;
        return std::vector<OVWatermarkProperty>{
            setting<std::string>("title", "Title", &W::title, &W::setTitle, true),
            setting<ov::Point>("origin", "Origin", &W::origin, &W::setOrigin),
            ranged(setting<ov::Size>("size", "Size", &W::size, &W::setSize), 0, kMaxGeometry),
            ranged(setting<double>("alpha", "Opacity", &W::alpha, &W::setAlpha, true), 0, 1),
            ranged(setting<double>("rotation", "Rotation", &W::rotation, &W::setRotation, true),
                   -360000, 360000),
            ranged(setting<double>("shadow", "Shadow", &W::shadow, &W::setShadow, true), 0, 1),
            setting<bool>("proportional", "Keep proportions", &W::shouldResizeProportionally,
                          &W::setShouldResizeProportionally, true),
            setting<bool>("useRelativePosition", "Relative position", &W::shouldUseRelativePosition,
                          &W::setShouldUseRelativePosition),
            setting<bool>("useRelativeSize", "Relative size", &W::shouldUseRelativeSize,
                          &W::setShouldUseRelativeSize),
            quadrant,
            setting<ov::Point>("relativePosition", "Relative position", &W::relativePosition,
                               &W::setRelativePosition),
            ranged(setting<ov::Size>("relativeSize", "Relative size", &W::relativeSize,
                                     &W::setRelativeSize),
                   -kMaxGeometry, kMaxGeometry),
            setting<bool>("relativePositionComputed", "Relative position computed",
                          &W::isRelativePositionComputed, &W::setRelativePositionComputed),
            setting<bool>("relativeSizeComputed", "Relative size computed",
                          &W::isRelativeSizeComputed, &W::setRelativeSizeComputed),
            ranged(setting<ov::Size>("maxSize", "Largest size", &W::maxSize, &W::setMaxSize), 0,
                   kMaxGeometry),
            setting<bool>("hasMaxSize", "Size capped", &W::hasMaxSize, &W::setHasMaxSize),
        };
    }();
    return properties;
}
