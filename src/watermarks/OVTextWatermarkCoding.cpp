#include "inkstead/watermarks/OVTextWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind_p.h"

// How a text watermark is archived and how it describes itself.

void OVTextWatermark::encodeWithCoder(ov::KeyedArchiver& coder) const {
    OVWatermark::encodeWithCoder(coder);
    coder.encodeString(stringValue(), kOVTextWatermarkStringKey);
    coder.encodeColor(fontColor(), kOVTextWatermarkFontColor);
    std::optional<ov::FontDescription> description;
    if (const auto f = font())
        description = ov::FontDescription{f->fontName(), f->pointSize()};
    coder.encodeFont(description, kOVTextWatermarkFont);
    coder.encodeFloat(static_cast<float>(fontSize()), kOVTextWatermarkFontSize);
    coder.encodeInt64(shouldUseDynamicFontSize() ? 1 : 0, kOVTextWatermarkUseDynamicFontSizeKey);
}

bool OVTextWatermark::initWithCoder(ov::KeyedUnarchiver& coder) {
    if (!OVWatermark::initWithCoder(coder))
        return false;
    setRotation(coder.decodeFloat(kOVWatermarkRotationKey));
    std::optional<ov::Font> decodedFont;
    if (const auto description = coder.decodeFont(kOVTextWatermarkFont))
        decodedFont = ov::Font(description->name, description->size);
    setFont(decodedFont);
    setFontSize(coder.decodeFloat(kOVTextWatermarkFontSize));
    setFontColor(coder.decodeColor(kOVTextWatermarkFontColor));
    setShouldUseDynamicFontSize(coder.decodeInt64(kOVTextWatermarkUseDynamicFontSizeKey) != 0);
    setStringValue(coder.decodeString(kOVTextWatermarkStringKey));
    return true;
}

namespace {

OVWatermarkProperty fontProperty() {
    OVWatermarkProperty property;
    property.key = "font";
    property.option = "font";
    property.label = "Font";
    property.type = OVPropertyType::FontName;
    property.defaultValue = std::string(ov::kDefaultFontName);
    property.get = [](const OVWatermark& w) {
        const auto font = static_cast<const OVTextWatermark&>(w).font();
        return OVPropertyValue(font ? font->fontName() : std::string());
    };
    // Only the face name counts; an empty name stands for no font (the default face).
    property.set = [](OVWatermark& w, const OVPropertyValue& v) {
        auto& text = static_cast<OVTextWatermark&>(w);
        const auto& name = std::get<std::string>(v);
        text.setFont(name.empty() ? std::nullopt
                                  : std::optional<ov::Font>(ov::Font(name, text.fontSize())));
    };
    return property;
}

OVWatermarkProperty stringProperty() {
    OVWatermarkProperty property;
    property.key = "text";
    property.option = "text";
    property.label = "Text";
    property.type = OVPropertyType::Text;
    property.defaultValue = std::string("Text...");
    property.get = [](const OVWatermark& w) {
        return OVPropertyValue(static_cast<const OVTextWatermark&>(w).stringValue().value_or(""));
    };
    property.set = [](OVWatermark& w, const OVPropertyValue& v) {
        static_cast<OVTextWatermark&>(w).setStringValue(std::get<std::string>(v));
    };
    return property;
}

} // namespace

const OVWatermarkKind& OVTextWatermark::kind() {
    using namespace ov::detail;
    // Font and size before the text: the text's setter measures the frame with both.
    static const OVWatermarkKind kind{
        .name = "text",
        .type = OVWatermarkTypeText,
        .className = "OVTextWatermark",
        .title = "Text",
        .make = [] { return std::static_pointer_cast<OVWatermark>(textWatermark()); },
        .sharedSettings = OVSharedSettingOpacity | OVSharedSettingShadow | OVSharedSettingRotation |
                          OVSharedSettingAnchorPlacement | OVSharedSettingTiling,
        .properties = joined(
            {
                fontProperty(),
                numberProperty<OVTextWatermark>("fontSize", "size", "Font size", 0, 100000, 96.0,
                                                &OVTextWatermark::fontSize,
                                                &OVTextWatermark::setFontSize),
                colorProperty<OVTextWatermark>("color", "color", "Colour", ov::Color::black(),
                                               &OVTextWatermark::fontColor,
                                               &OVTextWatermark::setFontColor),
                boolProperty<OVTextWatermark>("dynamicFontSize", "dynamic-size",
                                              "Font size follows the frame", false,
                                              &OVTextWatermark::shouldUseDynamicFontSize,
                                              &OVTextWatermark::setShouldUseDynamicFontSize),
                stringProperty(),
                additional(numberProperty<OVTextWatermark>(
                    "outlineWidth", "outline", "Outline width (of the font size)", 0, 1, 0.0,
                    &OVTextWatermark::outlineWidth, &OVTextWatermark::setOutlineWidth)),
                additional(colorProperty<OVTextWatermark>(
                    "outlineColor", "outline-color", "Outline colour", ov::Color::white(),
                    &OVTextWatermark::outlineColor, &OVTextWatermark::setOutlineColor)),
                additional(colorProperty<OVTextWatermark>(
                    "plateColor", "plate", "Plate colour", std::nullopt,
                    &OVTextWatermark::plateColor, &OVTextWatermark::setPlateColor)),
                additional(numberProperty<OVTextWatermark>(
                    "plateOpacity", "plate-opacity", "Plate opacity", 0, 1, 0.6,
                    &OVTextWatermark::plateOpacity, &OVTextWatermark::setPlateOpacity)),
                additional(numberProperty<OVTextWatermark>(
                    "platePadding", "plate-padding", "Plate padding (of the font size)", 0, 10, 0.3,
                    &OVTextWatermark::platePadding, &OVTextWatermark::setPlatePadding)),
                additional(numberProperty<OVTextWatermark>(
                    "plateCornerRadius", "plate-radius", "Plate corner radius (of the font size)",
                    0, 10, 0.2, &OVTextWatermark::plateCornerRadius,
                    &OVTextWatermark::setPlateCornerRadius)),
                additional(boolProperty<OVTextWatermark>(
                    "autoColor", "auto-color", "Black or white by the picture", false,
                    &OVTextWatermark::usesAutomaticColor, &OVTextWatermark::setUsesAutomaticColor)),
            },
            tilingProperties()),
        .registerArchivedClass = archivedClass<OVTextWatermark>("OVTextWatermark"),
        .classType = &typeid(OVTextWatermark),
    };
    return kind;
}
