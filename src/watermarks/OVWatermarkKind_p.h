#pragma once

// Builders of property descriptions for the kinds' own files. Not installed.

#include "inkstead/watermarks/OVWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

namespace ov::detail {

/// Lengths beyond this many units are no photograph's; they only come from damaged files.
inline constexpr double kMaxGeometry = 1e7;

template <class Kind>
OVWatermarkProperty numberProperty(std::string_view key, std::string_view option,
                                   std::string_view label, double minimum, double maximum,
                                   double defaultValue, double (Kind::*getter)() const,
                                   void (Kind::*setter)(double)) {
    OVWatermarkProperty property;
    property.key = key;
    property.option = option;
    property.label = label;
    property.type = OVPropertyType::Number;
    property.minimum = minimum;
    property.maximum = maximum;
    property.defaultValue = defaultValue;
    property.get = [getter](const OVWatermark& w) {
        return OVPropertyValue((static_cast<const Kind&>(w).*getter)());
    };
    property.set = [setter](OVWatermark& w, const OVPropertyValue& v) {
        (static_cast<Kind&>(w).*setter)(std::get<double>(v));
    };
    return property;
}

template <class Kind>
OVWatermarkProperty colorProperty(std::string_view key, std::string_view option,
                                  std::string_view label, std::optional<ov::Color> defaultValue,
                                  std::optional<ov::Color> (Kind::*getter)() const,
                                  void (Kind::*setter)(std::optional<ov::Color>)) {
    OVWatermarkProperty property;
    property.key = key;
    property.option = option;
    property.label = label;
    property.type = OVPropertyType::Color;
    property.defaultValue = defaultValue;
    property.get = [getter](const OVWatermark& w) {
        return OVPropertyValue((static_cast<const Kind&>(w).*getter)());
    };
    property.set = [setter](OVWatermark& w, const OVPropertyValue& v) {
        (static_cast<Kind&>(w).*setter)(std::get<std::optional<ov::Color>>(v));
    };
    return property;
}

template <class Kind>
OVWatermarkProperty boolProperty(std::string_view key, std::string_view option,
                                 std::string_view label, bool defaultValue,
                                 bool (Kind::*getter)() const, void (Kind::*setter)(bool)) {
    OVWatermarkProperty property;
    property.key = key;
    property.option = option;
    property.label = label;
    property.type = OVPropertyType::Bool;
    property.defaultValue = defaultValue;
    property.get = [getter](const OVWatermark& w) {
        return OVPropertyValue((static_cast<const Kind&>(w).*getter)());
    };
    property.set = [setter](OVWatermark& w, const OVPropertyValue& v) {
        (static_cast<Kind&>(w).*setter)(std::get<bool>(v));
    };
    return property;
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
    OVWatermarkProperty property;
    property.key = key;
    property.option = option;
    property.label = label;
    property.type = OVPropertyType::Choice;
    property.choices = std::move(choices);
    property.minimum = 0;
    property.maximum = static_cast<double>(property.choices.size() - 1);
    property.defaultValue = static_cast<double>(defaultValue);
    property.get = [getter](const OVWatermark& w) {
        return OVPropertyValue(static_cast<double>((static_cast<const Kind&>(w).*getter)()));
    };
    property.set = [setter](OVWatermark& w, const OVPropertyValue& v) {
        (static_cast<Kind&>(w).*setter)(static_cast<Enum>(std::get<double>(v)));
    };
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
