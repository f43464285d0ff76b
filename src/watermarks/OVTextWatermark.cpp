#include "inkstead/watermarks/OVTextWatermark.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/geometry/OVRoundedRect.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/log/Log.h"
#include "inkstead/platform/text/Typesetter.h"
#include "inkstead/watermarks/OVBackdropLuminance.h"
#include "inkstead/watermarks/OVTextVariables.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

namespace {

// The first candidate of the search (start, start − 2, …) worth measuring. Measurements are
// linear in the size, so every larger candidate fails for sure: it would be wider than the line
// width, or (if it fitted on the line) its rounded line height, at least its exact height less
// 1.5, would exceed the height. The search would only go on past those, so skipping them keeps
// its result and bounds its work for huge frames. Margins cover the rounding of the arithmetic.
double firstCandidateWorthMeasuring(const ov::AttributedString& string, double start,
                                    double lineWidth, double height) {
    if (!std::isfinite(start) || !std::isfinite(lineWidth) || !std::isfinite(height))
        return start;
    ov::AttributedString unit = string;
    unit.setFont(ov::Font(unit.font()->fontName(), 1.0));
    const ov::Typesetter typesetter(unit);
    const double widthPerPoint = typesetter.singleLineWidth();
    const double heightPerPoint = typesetter.lineBounds(0, typesetter.length()).height();
    double limit = std::numeric_limits<double>::infinity();
    if (widthPerPoint > 0)
        limit = std::min(limit, std::max(lineWidth, 0.0) / widthPerPoint * (1 + 1e-6) + 2);
    if (heightPerPoint > 0)
        limit = std::min(limit, std::max(height + 1.5, 0.0) / heightPerPoint * (1 + 1e-6) + 2);
    if (!(start > limit))
        return start;
    return start - 2 * std::ceil((start - limit) / 2);
}

} // namespace

double OVAttributedStringSetDynamicSize(const ov::AttributedString* string,
                                        std::string_view fontName, double width, double height) {
    if (!string)
        return 1.0;
    ov::AttributedString copy = *string;
    copy.setFont(ov::Font(std::string(fontName), 0));
    const std::size_t length = copy.length();
    const double lineWidth =
        std::floor(static_cast<float>(width - kOVTextWatermarkFontBuffer * width));
    const double start = roundedFloat(height);
    // An endless sequence of candidates has no first fitting one.
    if (std::isinf(start))
        return 1.0;

    double candidate = start;
    const double worthMeasuring = firstCandidateWorthMeasuring(copy, start, lineWidth, height);
    if (worthMeasuring < start) {
        // The search stops at the first candidate not above 1 even when it fails; if that one
        // is among the skipped, it is the result.
        const double firstNotAboveOne = start > 1 ? start - 2 * std::ceil((start - 1) / 2) : start;
        if (firstNotAboveOne > worthMeasuring)
            return firstNotAboveOne;
        candidate = worthMeasuring;
    }
    candidate += 2;
    for (;;) {
        const double previous = candidate;
        candidate -= 2;
        if (candidate == previous) // beyond the precision of whole numbers: no progress
            return candidate;
        copy.setFont(ov::Font(copy.font()->fontName(), candidate));
        const ov::Typesetter typesetter(copy);
        const std::size_t fits = typesetter.suggestLineBreak(0, lineWidth);
        const ov::TypographicBounds line = typesetter.lineBounds(0, fits);
        const double ascent = roundedFloat(line.ascent);
        const double descent = roundedFloat(line.descent);
        const double leading = roundedFloat(line.leading);
        if (fits < length || ascent + descent + leading > height) {
            if (candidate > 1.0)
                continue;
            break;
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
    copy->setTextVariables(textVariables());
    copy->setOutlineWidth(outlineWidth());
    copy->setOutlineColor(outlineColor());
    copy->setPlateColor(plateColor());
    copy->setPlateOpacity(plateOpacity());
    copy->setPlatePadding(platePadding());
    copy->setPlateCornerRadius(plateCornerRadius());
    copy->setUsesAutomaticColor(usesAutomaticColor());
    copy->setBackdropSample(backdropSample_);
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
    attrString()->replaceAllCharacters(displayedText());
    if (!stringValue_->empty())
        reloadText();
}

std::string OVTextWatermark::displayedText() const {
    const std::string text = stringValue().value_or(std::string());
    return textVariables_ ? textVariables_->expand(text) : text;
}

void OVTextWatermark::setTextVariables(std::shared_ptr<const OVTextVariables> variables) {
    if (variables == textVariables_)
        return;
    textVariables_ = std::move(variables);
    if (!stringValue_)
        return;
    const std::string text = displayedText();
    attrString()->replaceAllCharacters(text);
    const bool onImage = !(bounds().size == ov::SizeZero);
    if (shouldUseDynamicFontSize()) {
        if (onImage)
            fontSize_ = dynamicFontSize();
        return;
    }
    if (text.empty())
        return; // nothing is drawn; the frame keeps its size
    reloadText();
    if (!onImage)
        return;
    if (placement())
        applyPlacement();
    else if (shouldUseRelativePosition() && isRelativePositionComputed())
        setOrigin(adjustOrigin());
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

void OVTextWatermark::setContentWidth(double width) {
    if (shouldUseDynamicFontSize()) {
        OVWatermark::setContentWidth(width);
        fontSize_ = dynamicFontSize();
        return;
    }
    // Text extents are linear in the font size.
    const double natural = size().width;
    if (natural > 0 && fontSize() > 0 && std::isfinite(width) && width > 0)
        setFontSize(fontSize() * width / natural);
}

ov::Rect OVTextWatermark::inkRect() const {
    if (!attrString_)
        return frame();
    ov::AttributedString measured = *attrString_;
    measured.setFont(ov::Font(fontName(), fontSize()));
    const auto ink = ov::frameInkBounds(measured, drawRect());
    if (!ink)
        return frame();
    return ink->applying(rotationTransform());
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

    const OVSavedGraphicsState saved(context);
    const ov::Rect content = drawRect();
    if (std::isinf(std::fabs(content.size.width)) || std::isinf(std::fabs(content.size.height))) {
        ov::log("renderInContext: Frame inf+ Bailing out.");
        return;
    }
    const auto color = drawnColor();
    if (!color)
        return;
    const auto string = attrString();
    context.setTextMatrix(ov::AffineTransform::identity());
    string->setFont(ov::Font(fontName(), fontSize()));
    applyShadow(context);
    applyAlpha(context);
    context.concatCTM(rotationTransform());
    // The shadow goes under the lowest layer only: plate, else outline, else glyphs.
    if (drawPlate(context, *string, content))
        context.setShadowWithColor({0, 0}, 0, std::nullopt);
    const auto outline = outlineColor();
    if (outline && outlineWidth() > 0) {
        string->setForegroundColor(outline);
        // Half the stroke lies under the glyphs drawn next.
        ov::strokeFrame(context, *string, content, 2 * outlineWidth() * fontSize());
        context.setShadowWithColor({0, 0}, 0, std::nullopt);
    }
    string->setForegroundColor(color);
    ov::drawFrame(context, *string, content);
}

bool OVTextWatermark::drawPlate(ov::GraphicsContext& context, const ov::AttributedString& string,
                                const ov::Rect& content) {
    const auto color = plateColor();
    const double opacity = std::clamp(plateOpacity(), 0.0, 1.0);
    if (!color || !(opacity > 0))
        return false;
    const ov::Rect ink = ov::frameInkBounds(string, content).value_or(content);
    const double padding = std::max(0.0, platePadding() * fontSize());
    const ov::Rect plate = ink.insetBy(-padding, -padding);
    const double radius = std::clamp(plateCornerRadius() * fontSize(), 0.0,
                                     std::min(plate.size.width, plate.size.height) / 2);
    if (!std::isfinite(radius) || plate.isEmpty())
        return false;
    context.setFillColor({color->red, color->green, color->blue, color->alpha * opacity});
    context.beginPath();
    context.addPath(OVRoundedRectPath(plate, radius));
    context.fillPath();
    return true;
}

std::optional<ov::Color> OVTextWatermark::drawnColor() const {
    const auto color = fontColor();
    if (!color || !usesAutomaticColor() || !backdropSample_)
        return color;
    const ov::Rect image = bounds();
    if (!(image.size.width > 0) || !(image.size.height > 0))
        return color;
    const ov::Rect ink = inkRect();
    const ov::Rect area{(ink.minX() - image.minX()) / image.size.width,
                        (ink.minY() - image.minY()) / image.size.height,
                        ink.size.width / image.size.width, ink.size.height / image.size.height};
    const auto luminance = OVMeanLuminance(*backdropSample_, area);
    return luminance ? OVContrastingColor(*luminance, color->alpha) : color;
}

double OVTextWatermark::drawingOutset() const {
    const double size = std::fabs(fontSize());
    double outset = outlineColor() ? std::max(0.0, outlineWidth()) * size : 0;
    if (plateColor())
        outset = std::max(outset, std::max(0.0, platePadding()) * size);
    return std::isfinite(outset) ? outset : 0;
}
