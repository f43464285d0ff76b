#include "inkstead/watermarks/OVWatermarkKind_p.h"

#include <type_traits>

// The settings of the base watermark, described like the kinds' own properties so that readers
// and writers of whole records (the preset JSON form) go through one table.

namespace {

using ov::detail::kMaxGeometry;

// A base setting of type `type` read and written through the member functions given.
template <class Value, class Stored = Value>
OVWatermarkProperty setting(std::string_view key, std::string_view label, OVPropertyType type,
                            Value (OVWatermark::*getter)() const,
                            void (OVWatermark::*setter)(Value), bool editable = false) {
    OVWatermarkProperty property;
    property.key = key;
    property.label = label;
    property.type = type;
    property.editable = editable;
    property.defaultValue = Stored(Value{});
    property.get = [getter](const OVWatermark& w) { return OVPropertyValue(Stored((w.*getter)())); };
    property.set = [setter](OVWatermark& w, const OVPropertyValue& v) {
        if constexpr (std::is_enum_v<Value>)
            (w.*setter)(static_cast<Value>(static_cast<int>(std::get<Stored>(v))));
        else
            (w.*setter)(std::get<Stored>(v));
    };
    return property;
}

OVWatermarkProperty ranged(OVWatermarkProperty property, double minimum, double maximum) {
    property.minimum = minimum;
    property.maximum = maximum;
    return property;
}

} // namespace

const std::vector<OVWatermarkProperty>& OVWatermarkBaseProperties() {
    using T = OVPropertyType;
    using W = OVWatermark;
    static const std::vector<OVWatermarkProperty> properties = [] {
        auto quadrant = setting<OVRelativeQuadrant, double>(
            "relativeQuadrant", "Nearest corner", T::Choice, &W::relativeQuadrant,
            &W::setRelativeQuadrant);
        quadrant.choices = {"bottom-left", "bottom-right", "top-left", "top-right"};
        quadrant.maximum = 3;
        return std::vector<OVWatermarkProperty>{
            setting<std::string>("title", "Title", T::Text, &W::title, &W::setTitle, true),
            setting<ov::Point>("origin", "Origin", T::Point, &W::origin, &W::setOrigin),
            ranged(setting<ov::Size>("size", "Size", T::Size, &W::size, &W::setSize), 0,
                   kMaxGeometry),
            ranged(setting<double>("alpha", "Opacity", T::Number, &W::alpha, &W::setAlpha, true),
                   0, 1),
            ranged(setting<double>("rotation", "Rotation", T::Number, &W::rotation,
                                   &W::setRotation, true),
                   -360000, 360000),
            ranged(setting<double>("shadow", "Shadow", T::Number, &W::shadow, &W::setShadow, true),
                   0, 1),
            setting<bool>("proportional", "Keep proportions", T::Bool,
                          &W::shouldResizeProportionally, &W::setShouldResizeProportionally, true),
            setting<bool>("useRelativePosition", "Relative position", T::Bool,
                          &W::shouldUseRelativePosition, &W::setShouldUseRelativePosition),
            setting<bool>("useRelativeSize", "Relative size", T::Bool, &W::shouldUseRelativeSize,
                          &W::setShouldUseRelativeSize),
            quadrant,
            setting<ov::Point>("relativePosition", "Relative position", T::Point,
                               &W::relativePosition, &W::setRelativePosition),
            ranged(setting<ov::Size>("relativeSize", "Relative size", T::Size, &W::relativeSize,
                                     &W::setRelativeSize),
                   -kMaxGeometry, kMaxGeometry),
            setting<bool>("relativePositionComputed", "Relative position computed", T::Bool,
                          &W::isRelativePositionComputed, &W::setRelativePositionComputed),
            setting<bool>("relativeSizeComputed", "Relative size computed", T::Bool,
                          &W::isRelativeSizeComputed, &W::setRelativeSizeComputed),
            ranged(setting<ov::Size>("maxSize", "Largest size", T::Size, &W::maxSize,
                                     &W::setMaxSize),
                   0, kMaxGeometry),
            setting<bool>("hasMaxSize", "Size capped", T::Bool, &W::hasMaxSize, &W::setHasMaxSize),
        };
    }();
    return properties;
}
