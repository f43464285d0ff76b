#include "watermarks/OVTextWatermark.h"

[[maybe_unused]] static const bool registeredText =
    OVKeyedClassRegistry::add<OVTextWatermark>("OVTextWatermark", {"OVWatermark"});

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
