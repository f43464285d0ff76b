// The one place that says which properties of each watermark kind the inspector edits.

#include "MarkProperties.h"

#include "watermarks/OVArrowWatermark.h"
#include "watermarks/OVImageWatermark.h"
#include "watermarks/OVPixellateWatermark.h"
#include "watermarks/OVShapeWatermark.h"
#include "watermarks/OVStrikethroughWatermark.h"
#include "watermarks/OVTextWatermark.h"

namespace {

using Color = std::optional<ov::Color>;

// A property read and written through a getter and setter of kind K.
template <typename K, typename Get, typename Set>
MarkProperty prop(std::string_view key, std::string_view label, MarkValueType type, Get get,
                  Set set, double minimum = 0, double maximum = 0,
                  std::vector<std::string_view> choices = {}) {
    MarkProperty p;
    p.key = key;
    p.label = label;
    p.type = type;
    p.minimum = minimum;
    p.maximum = maximum;
    p.choices = std::move(choices);
    p.get = [get](const OVWatermark& w) -> MarkValue {
        return get(static_cast<const K&>(w));
    };
    p.set = [set](OVWatermark& w, const MarkValue& v) { set(static_cast<K&>(w), v); };
    return p;
}

double num(const MarkValue& v) { return std::get<double>(v); }
const std::string& str(const MarkValue& v) { return std::get<std::string>(v); }
Color col(const MarkValue& v) { return std::get<Color>(v); }

std::vector<MarkProperty> textProperties() {
    using T = OVTextWatermark;
    return {
        prop<T>(
            "stringValue", "Text", MarkValueType::Text,
            [](const T& w) { return w.stringValue().value_or(""); },
            [](T& w, const MarkValue& v) { w.setStringValue(str(v)); }),
        prop<T>(
            "font", "Font", MarkValueType::FontName,
            [](const T& w) { return w.font() ? w.font()->fontName() : std::string(); },
            [](T& w, const MarkValue& v) {
                w.setFont(ov::Font::fontWithName(str(v), w.fontSize()));
            }),
        prop<T>(
            "dynamicFontSize", "Size follows the frame", MarkValueType::Bool,
            [](const T& w) { return w.shouldUseDynamicFontSize(); },
            [](T& w, const MarkValue& v) { w.setShouldUseDynamicFontSize(std::get<bool>(v)); }),
        prop<T>(
            "fontSize", "Font size", MarkValueType::Number, [](const T& w) { return w.fontSize(); },
            [](T& w, const MarkValue& v) { w.setFontSize(num(v)); }, 4, 2000),
        prop<T>(
            "fontColor", "Colour", MarkValueType::Color, [](const T& w) { return w.fontColor(); },
            [](T& w, const MarkValue& v) { w.setFontColor(col(v)); }),
    };
}

std::vector<MarkProperty> imageProperties() {
    using T = OVImageWatermark;
    return {prop<T>(
        "picture", "Picture", MarkValueType::Picture, [](const T&) { return std::string(); },
        [](T& w, const MarkValue& v) { w.setImageWithContentsOfFile(str(v)); })};
}

std::vector<MarkProperty> shapeProperties() {
    using T = OVShapeWatermark;
    return {
        prop<T>(
            "shapeType", "Shape", MarkValueType::Choice,
            [](const T& w) { return static_cast<double>(w.shapeType()); },
            [](T& w, const MarkValue& v) { w.setShapeType(static_cast<OVShapeType>(num(v))); },
            0, 1, {"Square", "Circle"}),
        prop<T>(
            "strokeThickness", "Outline width", MarkValueType::Number,
            [](const T& w) { return w.strokeThickness(); },
            [](T& w, const MarkValue& v) { w.setStrokeThickness(num(v)); }, 0, 200),
        prop<T>(
            "lineDash", "Dash", MarkValueType::Number, [](const T& w) { return w.lineDash(); },
            [](T& w, const MarkValue& v) { w.setLineDash(num(v)); }, 0, 200),
        prop<T>(
            "strokeColor", "Outline colour", MarkValueType::Color,
            [](const T& w) { return w.strokeColor(); },
            [](T& w, const MarkValue& v) { w.setStrokeColor(col(v)); }),
        prop<T>(
            "fillColor", "Fill colour", MarkValueType::Color,
            [](const T& w) { return w.fillColor(); },
            [](T& w, const MarkValue& v) { w.setFillColor(col(v)); }),
    };
}

std::vector<MarkProperty> arrowProperties() {
    using T = OVArrowWatermark;
    return {
        prop<T>(
            "strokeThickness", "Line width", MarkValueType::Number,
            [](const T& w) { return w.strokeThickness(); },
            [](T& w, const MarkValue& v) { w.setStrokeThickness(num(v)); }, 1, 200),
        prop<T>(
            "strokeColor", "Colour", MarkValueType::Color,
            [](const T& w) { return w.strokeColor(); },
            [](T& w, const MarkValue& v) { w.setStrokeColor(col(v)); }),
    };
}

std::vector<MarkProperty> strikethroughProperties() {
    using T = OVStrikethroughWatermark;
    return {
        prop<T>(
            "strokeThickness", "Line width", MarkValueType::Number,
            [](const T& w) { return w.strokeThickness(); },
            [](T& w, const MarkValue& v) { w.setStrokeThickness(num(v)); }, 1, 200),
        prop<T>(
            "lineDash", "Dash", MarkValueType::Number, [](const T& w) { return w.lineDash(); },
            [](T& w, const MarkValue& v) { w.setLineDash(num(v)); }, 0, 200),
        prop<T>(
            "color", "Colour", MarkValueType::Color, [](const T& w) { return w.color(); },
            [](T& w, const MarkValue& v) { w.setColor(col(v)); }),
    };
}

std::vector<MarkProperty> pixellateProperties() {
    using T = OVPixellateWatermark;
    return {prop<T>(
        "intensity", "Block size", MarkValueType::Number, [](const T& w) { return w.intensity(); },
        [](T& w, const MarkValue& v) { w.setIntensity(num(v)); }, 1, 200)};
}

std::vector<MarkProperty> sharedProperties() {
    using T = OVWatermark;
    return {
        prop<T>(
            "alpha", "Opacity", MarkValueType::Number, [](const T& w) { return w.alpha(); },
            [](T& w, const MarkValue& v) { w.setAlpha(num(v)); }, 0, 1),
        prop<T>(
            "shadow", "Shadow", MarkValueType::Number, [](const T& w) { return w.shadow(); },
            [](T& w, const MarkValue& v) { w.setShadow(num(v)); }, 0, 1),
        prop<T>(
            "rotation", "Rotation", MarkValueType::Number, [](const T& w) { return w.rotation(); },
            [](T& w, const MarkValue& v) { w.setRotation(num(v)); }, -180, 180),
        prop<T>(
            "relativePosition", "Follow the image corner", MarkValueType::Bool,
            [](const T& w) { return w.shouldUseRelativePosition(); },
            [](T& w, const MarkValue& v) {
                w.setShouldUseRelativePosition(std::get<bool>(v));
                if (std::get<bool>(v))
                    w.calculateRelativePosition();
            }),
        prop<T>(
            "relativeSize", "Size follows the image", MarkValueType::Bool,
            [](const T& w) { return w.shouldUseRelativeSize(); },
            [](T& w, const MarkValue& v) {
                w.setShouldUseRelativeSize(std::get<bool>(v));
                if (std::get<bool>(v))
                    w.calculateRelativePosition();
            }),
    };
}

} // namespace

std::vector<MarkProperty> markPropertiesOf(const OVWatermark* watermark) {
    if (!watermark)
        return {};
    std::vector<MarkProperty> list;
    switch (watermark->type()) {
    case OVWatermarkTypeText: list = textProperties(); break;
    case OVWatermarkTypeImage: list = imageProperties(); break;
    case OVWatermarkTypeShape: list = shapeProperties(); break;
    case OVWatermarkTypeArrow: list = arrowProperties(); break;
    case OVWatermarkTypeStrikethrough: list = strikethroughProperties(); break;
    case OVWatermarkTypePixellate: list = pixellateProperties(); break;
    }
    for (auto& p : sharedProperties())
        list.push_back(std::move(p));
    return list;
}

std::string markKindTitle(const OVWatermark& watermark) {
    switch (watermark.type()) {
    case OVWatermarkTypeText: return "Text";
    case OVWatermarkTypeImage: return "Image";
    case OVWatermarkTypeShape: return "Shape";
    case OVWatermarkTypeArrow: return "Arrow";
    case OVWatermarkTypeStrikethrough: return "Strikethrough";
    case OVWatermarkTypePixellate: return "Pixellate";
    }
    return "Watermark";
}
