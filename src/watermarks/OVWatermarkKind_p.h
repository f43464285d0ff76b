#pragma once

// Builders of property descriptions for the kinds' own files. Not installed.

#include "inkstead/watermarks/OVWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <optional>
#include <string>
#include <type_traits>

namespace ov::detail {

/// Lengths beyond this many units are no photograph's; they only come from damaged files.
inline constexpr double kMaxGeometry = 1e7;

/// The property type that holds values of `Value`; an enumeration is a choice.
template <class Value> constexpr OVPropertyType propertyTypeOf() {
    if constexpr (std::is_enum_v<Value>)
        return OVPropertyType::Choice;
    else if constexpr (std::is_same_v<Value, bool>)
        return OVPropertyType::Bool;
    else if constexpr (std::is_same_v<Value, double>)
        return OVPropertyType::Number;
    else if constexpr (std::is_same_v<Value, std::string>)
        return OVPropertyType::Text;
    else if constexpr (std::is_same_v<Value, std::optional<ov::Color>>)
        return OVPropertyType::Color;
    else if constexpr (std::is_same_v<Value, ov::Point>)
        return OVPropertyType::Point;
    else {
        static_assert(std::is_same_v<Value, ov::Size>, "no property type holds this value");
        return OVPropertyType::Size;
    }
}

/// A property of `Kind` read and written through its getter and setter of `Value`. An
/// enumeration travels as the double of its value (OVPropertyValue holds choices so).
template <class Kind, class Value>
OVWatermarkProperty accessorProperty(std::string_view key, std::string_view option,
                                     std::string_view label, Value defaultValue,
                                     Value (Kind::*getter)() const, void (Kind::*setter)(Value)) {
    using Held = std::conditional_t<std::is_enum_v<Value>, double, Value>;
    OVWatermarkProperty property;
    property.key = key;
    property.option = option;
    property.label = label;
    property.type = propertyTypeOf<Value>();
    property.defaultValue = OVPropertyValue(static_cast<Held>(defaultValue));
    property.get = [getter](const OVWatermark& w) {
        return OVPropertyValue(static_cast<Held>((static_cast<const Kind&>(w).*getter)()));
    };
    property.set = [setter](OVWatermark& w, const OVPropertyValue& v) {
        (static_cast<Kind&>(w).*setter)(static_cast<Value>(std::get<Held>(v)));
    };
    return property;
}

template <class Kind>
OVWatermarkProperty numberProperty(std::string_view key, std::string_view option,
                                   std::string_view label, double minimum, double maximum,
                                   double defaultValue, double (Kind::*getter)() const,
                                   void (Kind::*setter)(double)) {
    auto property = accessorProperty(key, option, label, defaultValue, getter, setter);
    property.minimum = minimum;
    property.maximum = maximum;
    return property;
}

template <class Kind>
OVWatermarkProperty colorProperty(std::string_view key, std::string_view option,
                                  std::string_view label, std::optional<ov::Color> defaultValue,
                                  std::optional<ov::Color> (Kind::*getter)() const,
                                  void (Kind::*setter)(std::optional<ov::Color>)) {
    return accessorProperty(key, option, label, defaultValue, getter, setter);
}

template <class Kind>
OVWatermarkProperty boolProperty(std::string_view key, std::string_view option,
                                 std::string_view label, bool defaultValue,
                                 bool (Kind::*getter)() const, void (Kind::*setter)(bool)) {
    return accessorProperty(key, option, label, defaultValue, getter, setter);
}

/// `property`, marked as additional (OVWatermarkProperty::additional).
inline OVWatermarkProperty additional(OVWatermarkProperty property) {
    property.additional = true;
    return property;
}

/// A choice stored as an enumeration of consecutive values from 0.
template <class Kind, class Enum>
OVWatermarkProperty choiceProperty(std::string_view key, std::string_view option,
                                   std::string_view label, std::vector<std::string_view> choices,
                                   Enum defaultValue, Enum (Kind::*getter)() const,
                                   void (Kind::*setter)(Enum)) {
    auto property = accessorProperty(key, option, label, defaultValue, getter, setter);
    property.choices = std::move(choices);
    property.minimum = 0;
    property.maximum = static_cast<double>(property.choices.size() - 1);
    return property;
}

/// The settings of OVTiling, for kinds that repeat (OVSharedSettingTiling): "tiled",
/// "tileSpacing", "tileOffsetRows" and "tileAngle", all additional.
std::vector<OVWatermarkProperty> tilingProperties();
/// `list` followed by `more`.
std::vector<OVWatermarkProperty> joined(std::vector<OVWatermarkProperty> list,
                                        std::vector<OVWatermarkProperty> more);

/// Registers `Kind` for decoding under `name`, as a subclass of the base watermark.
template <class Kind> std::function<void()> archivedClass(std::string_view name) {
    return [name] { OVKeyedClassRegistry::add<Kind>(std::string(name), {"OVWatermark"}); };
}

} // namespace ov::detail
