#include "watermarks/OVTextWatermark.h"

#include "geometry/OVGeometry.h"
#include "platform/gfx/GraphicsContext.h"
#include "platform/log/Log.h"
#include "platform/text/Typesetter.h"

#include <cmath>

namespace {

// roundf on the 32-bit value, widened again.
double roundedFloat(double value) {
    return static_cast<double>(std::roundf(static_cast<float>(value)));
}

// A copy of `string` set in `fontName` at `fontSize`; the caller's string keeps its font.
ov::AttributedString withFont(const ov::AttributedString& string, std::string_view fontName,
                              double fontSize) {
    ov::AttributedString copy = string;
    copy.setFont(ov::Font(std::string(fontName), fontSize));
    return copy;
}

} // namespace

ov::Size OVAttributedStringDisplaySize(const ov::AttributedString* string,
                                       std::string_view fontName, double fontSize) {
    if (!string)
        return {0, 0};
    const ov::TypographicBounds line =
        ov::lineTypographicBounds(withFont(*string, fontName, fontSize));
    const double width = line.width;
    const double height = line.height();
    return {width + kOVTextWatermarkFontBuffer * width,
            height + kOVTextWatermarkFontBuffer * height};
}

double OVAttributedStringSetDynamicSize(const ov::AttributedString* string,
                                        std::string_view fontName, double width, double height) {
    if (!string)
        return 1.0;
    ov::AttributedString copy = *string;
    const std::size_t length = copy.length();
    const double lineWidth =
        std::floor(static_cast<float>(width - kOVTextWatermarkFontBuffer * width));
    double candidate = roundedFloat(height) + 2;
    const ov::Font face(std::string(fontName), 0);
    for (;;) {
        candidate -= 2;
        copy.setFont(ov::Font(face.fontName(), candidate));
        const ov::Typesetter typesetter(copy);
        const std::size_t fits = typesetter.suggestLineBreak(0, lineWidth);
        const ov::TypographicBounds line = typesetter.lineBounds(0, fits);
        const double ascent = roundedFloat(line.ascent);
        const double descent = roundedFloat(line.descent);
        const double leading = roundedFloat(line.leading);
        const bool tooSmallToGoOn = !(candidate > 1.0);
        if (fits < length || ascent + descent + leading > height) {
            if (tooSmallToGoOn)
                break;
            continue;
        }
        break;
    }
    return candidate;
}

std::shared_ptr<OVTextWatermark> OVTextWatermark::textWatermark() {
    auto text = std::make_shared<OVTextWatermark>();
    text->initWatermarkWithOptions({
        {std::string(kOVWatermarkTypeKey), std::int64_t{OVWatermarkTypeText}},
        {std::string(kOVWatermarkTitleKey), std::string("Text")},
        {std::string(kOVWatermarkSizeKey), ov::Size{0, 0}},
        {std::string(kOVWatermarkProportionalKey), true},
    });
    text->setStringValue("Text...");
    text->setFontSize(96.0);
    text->setFont(ov::Font(std::string(ov::kDefaultFontName), text->fontSize()));
    text->setFontColor(ov::Color::black());
    text->setShouldUseDynamicFontSize(false);
    text->setShouldUseRelativeSize(false);
    text->setVisible(true);
    return text;
}

std::shared_ptr<OVWatermark> OVTextWatermark::newInstance() const {
    return std::make_shared<OVTextWatermark>();
}

std::shared_ptr<OVWatermark> OVTextWatermark::copy() const {
    auto base = OVWatermark::copy();
    auto* copy = static_cast<OVTextWatermark*>(base.get());
    copy->setStringValue(stringValue());
    copy->setFontColor(fontColor());
    copy->setFont(font());
    copy->setFontSize(fontSize());
    copy->setShouldUseDynamicFontSize(shouldUseDynamicFontSize());
    return base;
}

std::string OVTextWatermark::fontName() const {
    const auto f = font();
    return f ? f->fontName() : std::string();
}

std::shared_ptr<ov::AttributedString> OVTextWatermark::attrString() {
    if (!attrString_)
        attrString_ = std::make_shared<ov::AttributedString>();
    return attrString_;
}

void OVTextWatermark::setAttrString(std::shared_ptr<ov::AttributedString> attrString) {
    attrString_ = std::move(attrString);
}

void OVTextWatermark::reloadText() {
    setSize(OVAttributedStringDisplaySize(attrString().get(), fontName(), fontSize()));
}

void OVTextWatermark::setFontSize(double fontSize) {
    fontSize_ = fontSize;
    reloadText();
}

void OVTextWatermark::setFont(std::optional<ov::Font> font) {
    font_ = std::move(font);
    reloadText();
}

void OVTextWatermark::setStringValue(std::optional<std::string> stringValue) {
    if (!stringValue)
        return;
    stringValue_ = std::move(stringValue);
    attrString()->replaceAllCharacters(*stringValue_);
    if (!stringValue_->empty())
        reloadText();
}

double OVTextWatermark::dynamicFontSize() {
    const ov::Rect content = drawRect();
    return OVAttributedStringSetDynamicSize(attrString().get(), fontName(), content.size.width,
                                            content.size.height);
}

void OVTextWatermark::setBounds(ov::Rect newBounds) {
    // The base keeps the rectangle; its own equality check sees the same stored value.
    if (newBounds == bounds())
        return;
    OVWatermark::setBounds(newBounds);
    if (shouldUseDynamicFontSize())
        fontSize_ = dynamicFontSize();
}

void OVTextWatermark::resizeByMovingHandle(OVWatermarkHandle handle, ov::Point point) {
    OVWatermark::resizeByMovingHandle(handle, point);
    if (shouldUseDynamicFontSize())
        fontSize_ = dynamicFontSize();
    calculateRelativePosition();
}

OVWatermarkHandle OVTextWatermark::handleUnderPoint(ov::Point point, double scale) const {
    if (!shouldUseDynamicFontSize())
        return OVWatermarkHandleNone;
    return OVWatermark::handleUnderPoint(point, scale);
}

void OVTextWatermark::renderInContext(ov::GraphicsContext& context) {
    if (!isVisible())
        return;
    OVWatermark::renderInContext(context);
    // Handles go beneath the text, and only where they can be used.
    if (shouldUseDynamicFontSize() && isEditable())
        drawHandlesInContext(context);

    CGContextSaveStateWithCompletion(context, [&] {
        const ov::Rect content = drawRect();
        if (std::isinf(std::fabs(content.size.width)) ||
            std::isinf(std::fabs(content.size.height))) {
            ov::log("renderInContext: Frame inf+ Bailing out.");
            return;
        }
        const auto color = fontColor();
        if (!color)
            return;
        const auto string = attrString();
        string->setForegroundColor(color);
        context.setTextMatrix(ov::AffineTransform::identity());
        string->setFont(ov::Font(fontName(), fontSize()));
        if (shadow() != 0)
            context.setShadowWithColor({0, 0}, 7.0, ov::Color{0, 0, 0, shadow()});
        context.setAlpha(alpha());
        context.concatCTM(rotationTransform());
        ov::drawFrame(context, *string, content);
    });
}
