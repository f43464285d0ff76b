#include "MarkOptions.h"

#include "MarkPlacement.h"
#include "MarkValues.h"

#include "platform/imageio/ImageSource.h"
#include "watermarks/OVArrowWatermark.h"
#include "watermarks/OVImageWatermark.h"
#include "watermarks/OVPixellateWatermark.h"
#include "watermarks/OVShapeWatermark.h"
#include "watermarks/OVStrikethroughWatermark.h"
#include "watermarks/OVTextWatermark.h"

#include <filesystem>

namespace cli {
namespace {

// Sizes of marks placed without --width or --rect, as shares of the image width.
constexpr double kDefaultTextWidth = 0.25;
constexpr double kDefaultBoxWidth = 0.2;
// A logo of more pixels than this is a mistake (or a decompression bomb), not a watermark.
constexpr double kMaxPicturePixels = 100e6;

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

double checkedUnit(double value, std::string_view option) {
    if (value < 0 || value > 1)
        throw usageError(std::string(option) + ": " + std::to_string(value) + " is outside 0..1",
                         "0 is none, 1 is full");
    return value;
}

double checkedPositive(double value, std::string_view option, bool allowZero = true) {
    if (value < 0 || (!allowZero && value == 0))
        throw usageError(std::string(option) + ": must be " +
                         (allowZero ? "0 or more" : "more than 0"));
    return value;
}

double checkedWidth(std::string_view text, std::string_view option) {
    const double width = parseFraction(text, option);
    if (width <= 0 || width > 1)
        throw usageError(std::string(option) + ": \"" + std::string(text) +
                             "\" is not a share of the image width",
                         "give more than 0% and at most 100%, e.g. 20%");
    return width;
}

double checkedMargin(std::string_view text, std::string_view option) {
    const double margin = parseFraction(text, option);
    if (margin < 0 || margin >= 0.5)
        throw usageError(std::string(option) + ": \"" + std::string(text) +
                             "\" is not a margin on the image",
                         "give 0% or more and less than 50%, e.g. 3%");
    return margin;
}

void setPicture(OVImageWatermark& mark, const std::string& file, std::string_view option) {
    std::error_code error;
    if (file.empty())
        throw usageError("an image mark needs a picture", "give it with --image FILE");
    if (!std::filesystem::is_regular_file(file, error))
        throw usageError(std::string(option) + ": no picture file at " + file);
    if (const auto source = ov::ImageSource::createWithURL(file)) {
        const auto properties = source->properties();
        const double pixels = properties.number(ov::kOVPropertyPixelWidth).value_or(0) *
                              properties.number(ov::kOVPropertyPixelHeight).value_or(0);
        if (pixels > kMaxPicturePixels)
            throw usageError(std::string(option) + ": " + file +
                                 " is too large for a watermark picture",
                             "use a picture of at most 100 megapixels");
    }
    if (mark.setImageWithContentsOfFile(file))
        return;
    if (const std::error_code stored = mark.imageWriteError())
        throw usageError(std::string(option) + ": cannot store the picture of " + file + ": " +
                             errorText(stored),
                         "free some space or check the presets folder's permissions");
    throw usageError(std::string(option) + ": cannot read " + file + " as a picture",
                     "give a PNG, JPEG, TIFF, WebP, HEIF or GIF file");
}

std::optional<ov::Font> fontNamed(std::string name, const std::optional<ov::Font>& current) {
    const double size = current ? current->pointSize() : 12;
    return ov::Font(std::move(name), size);
}

OVShapeType shapeTypeNamed(std::string_view text, std::string_view option) {
    if (text == "square" || text == "rectangle")
        return OVShapeTypeSquare;
    if (text == "circle" || text == "ellipse")
        return OVShapeTypeCircle;
    throw usageError(std::string(option) + ": invalid value \"" + std::string(text) + "\"",
                     "expected square or circle");
}

BoxPlacement boxPlacementOf(const MarkOptions& options, double defaultWidth) {
    BoxPlacement placement;
    placement.anchor = parseAnchor(options.anchor, "--anchor");
    placement.marginX = placement.marginY = checkedMargin(options.margin, "--margin");
    placement.width = options.width.empty() ? defaultWidth : checkedWidth(options.width, "--width");
    return placement;
}

CliError notForKind(std::string_view key, const OVWatermark& mark);

// Whether a kind draws with one of the settings every watermark has: shapes and strike-throughs
// are drawn upright without shadow, arrows are not turned, and a mosaic is always opaque.
bool drawsWith(const OVWatermark& mark, std::string_view setting) {
    switch (mark.type()) {
    case OVWatermarkTypeText:
    case OVWatermarkTypeImage:
        return true;
    case OVWatermarkTypeShape:
    case OVWatermarkTypeStrikethrough:
        return setting == "opacity";
    case OVWatermarkTypeArrow:
        return setting != "rotation";
    default:
        return false;
    }
}

void checkDrawsWith(const OVWatermark& mark, std::string_view setting, std::string_view key) {
    if (!drawsWith(mark, setting))
        throw notForKind(key, mark);
}

void applyCommonStyle(OVWatermark& mark, const MarkOptions& options) {
    if (options.opacity) {
        checkDrawsWith(mark, "opacity", "--opacity");
        mark.setAlpha(checkedUnit(*options.opacity, "--opacity"));
    }
    if (options.shadow) {
        checkDrawsWith(mark, "shadow", "--shadow");
        mark.setShadow(checkedUnit(*options.shadow, "--shadow"));
    }
    if (options.rotation) {
        checkDrawsWith(mark, "rotation", "--rotation");
        mark.setRotation(*options.rotation);
    }
}

OVWatermarkPtr makeText(const MarkOptions& options, const std::string& text) {
    if (text.empty())
        throw usageError("a text mark needs its text", "e.g. inkstead watermark add P text "
                                                       "\"(c) 2026 Me\"");
    auto mark = OVTextWatermark::textWatermark();
    mark->setStringValue(text);
    if (!options.font.empty())
        mark->setFont(fontNamed(options.font, mark->font()));
    if (options.size)
        mark->setFontSize(checkedPositive(*options.size, "--size", false));
    if (!options.color.empty())
        mark->setFontColor(parseColor(options.color, "--color"));
    applyCommonStyle(*mark, options);
    // A point size alone keeps the text at that size; otherwise it scales with the image.
    const bool fixedSize = options.size && options.width.empty();
    placeBox(*mark, boxPlacementOf(options, fixedSize ? 0 : kDefaultTextWidth));
    return mark;
}

OVWatermarkPtr makeImage(const MarkOptions& options, const std::string& text) {
    auto mark = OVImageWatermark::imageWatermark();
    mark->setBounds(kMarkReferenceBounds);
    setPicture(*mark, options.image.empty() ? text : options.image, "--image");
    applyCommonStyle(*mark, options);
    mark->setShouldUseRelativeSize(true);
    placeBox(*mark, boxPlacementOf(options, kDefaultBoxWidth));
    return mark;
}

void applyShapeStyle(OVShapeWatermark& mark, const MarkOptions& options) {
    if (!options.shape.empty())
        mark.setShapeType(shapeTypeNamed(options.shape, "--shape"));
    if (!options.color.empty())
        mark.setStrokeColor(parseColor(options.color, "--color"));
    if (!options.fill.empty())
        mark.setFillColor(parseColor(options.fill, "--fill"));
    if (options.stroke)
        mark.setStrokeThickness(checkedPositive(*options.stroke, "--stroke"));
    if (options.dash)
        mark.setLineDash(checkedPositive(*options.dash, "--dash"));
}

// Shapes and pixellated regions cover --rect, or sit at the anchor.
void placeRegion(OVWatermark& mark, const MarkOptions& options) {
    if (!options.rect.empty())
        placeRect(mark, parseRectFraction(options.rect, "--rect"));
    else
        placeBox(mark, boxPlacementOf(options, kDefaultBoxWidth));
}

OVWatermarkPtr makeShape(const MarkOptions& options) {
    auto mark = OVShapeWatermark::shapeWatermark();
    applyShapeStyle(*mark, options);
    applyCommonStyle(*mark, options);
    placeRegion(*mark, options);
    return mark;
}

OVWatermarkPtr makePixellate(const MarkOptions& options) {
    auto mark = OVPixellateWatermark::pixellateWatermark();
    if (options.intensity)
        mark->setIntensity(checkedPositive(*options.intensity, "--intensity", false));
    applyCommonStyle(*mark, options);
    placeRegion(*mark, options);
    return mark;
}

OVWatermarkPtr makeArrow(const MarkOptions& options) {
    auto mark = OVArrowWatermark::arrowWatermark();
    if (!options.color.empty())
        mark->setStrokeColor(parseColor(options.color, "--color"));
    if (options.stroke)
        mark->setStrokeThickness(checkedPositive(*options.stroke, "--stroke"));
    applyCommonStyle(*mark, options);
    const ov::Point from =
        options.from.empty() ? ov::Point{0.6, 0.6} : parsePointFraction(options.from, "--from");
    const ov::Point to =
        options.to.empty() ? ov::Point{0.8, 0.8} : parsePointFraction(options.to, "--to");
    if (from == to)
        throw usageError("--from and --to: an arrow needs two different points");
    placeArrow(*mark, from, to);
    return mark;
}

OVWatermarkPtr makeStrikethrough(const MarkOptions& options) {
    auto mark = OVStrikethroughWatermark::strikethroughWatermark();
    if (!options.color.empty())
        mark->setColor(parseColor(options.color, "--color"));
    if (options.stroke)
        mark->setStrokeThickness(checkedPositive(*options.stroke, "--stroke"));
    if (options.dash)
        mark->setLineDash(checkedPositive(*options.dash, "--dash"));
    applyCommonStyle(*mark, options);
    return mark;
}

// --- watermark set -------------------------------------------------------------------------

CliError notForKind(std::string_view key, const OVWatermark& mark) {
    static const char* names[] = {"text", "image", "strikethrough", "shape", "arrow", "pixellate"};
    const auto type = static_cast<std::size_t>(mark.type());
    const std::string kind = type < 6 ? names[type] : "unknown";
    const bool vowel = kind.find_first_of("aeiou") == 0;
    return usageError("\"" + std::string(key) + "\" does not apply to " + (vowel ? "an " : "a ") +
                          kind + " mark",
                      "see `inkstead watermark set --help` for the keys of each kind");
}

void setPlacement(OVWatermark& mark, std::string_view key, std::string_view value) {
    if (mark.type() == OVWatermarkTypeArrow || mark.type() == OVWatermarkTypeStrikethrough)
        throw notForKind(key, mark);
    if (key == "rect") {
        if (mark.type() != OVWatermarkTypeShape && mark.type() != OVWatermarkTypePixellate)
            throw notForKind(key, mark);
        placeRect(mark, parseRectFraction(value, key));
        return;
    }
    mark.setBounds(kMarkReferenceBounds);
    BoxPlacement placement = currentPlacement(mark);
    if (key == "anchor")
        placement.anchor = parseAnchor(value, key);
    else if (key == "margin")
        placement.marginX = placement.marginY = checkedMargin(value, key);
    else
        placement.width = checkedWidth(value, key);
    placeBox(mark, placement);
}

void setArrowPoint(OVWatermark& mark, std::string_view key, std::string_view value) {
    auto* arrow = dynamic_cast<OVArrowWatermark*>(&mark);
    if (!arrow)
        throw notForKind(key, mark);
    arrow->setBounds(kMarkReferenceBounds);
    const ov::Size image = kMarkReferenceBounds.size;
    auto asFraction = [&](ov::Point p) {
        return ov::Point{p.x / image.width, 1 - p.y / image.height};
    };
    ov::Point from = asFraction(arrow->beginPoint());
    ov::Point to = asFraction(arrow->endPoint());
    (key == "from" ? from : to) = parsePointFraction(value, key);
    if (from == to)
        throw usageError("from and to: an arrow needs two different points");
    placeArrow(*arrow, from, to);
}

void setColorOf(OVWatermark& mark, std::string_view key, std::string_view value) {
    const ov::Color color = parseColor(value, key);
    if (auto* text = dynamic_cast<OVTextWatermark*>(&mark))
        text->setFontColor(color);
    else if (auto* shape = dynamic_cast<OVShapeWatermark*>(&mark))
        shape->setStrokeColor(color);
    else if (auto* arrow = dynamic_cast<OVArrowWatermark*>(&mark))
        arrow->setStrokeColor(color);
    else if (auto* strike = dynamic_cast<OVStrikethroughWatermark*>(&mark))
        strike->setColor(color);
    else
        throw notForKind(key, mark);
}

void setStrokeOf(OVWatermark& mark, std::string_view key, std::string_view value) {
    const double width = checkedPositive(parseNumber(value, key), key);
    if (auto* shape = dynamic_cast<OVShapeWatermark*>(&mark))
        shape->setStrokeThickness(width);
    else if (auto* arrow = dynamic_cast<OVArrowWatermark*>(&mark))
        arrow->setStrokeThickness(width);
    else if (auto* strike = dynamic_cast<OVStrikethroughWatermark*>(&mark))
        strike->setStrokeThickness(width);
    else
        throw notForKind(key, mark);
}

void setDashOf(OVWatermark& mark, std::string_view key, std::string_view value) {
    const double dash = checkedPositive(parseNumber(value, key), key);
    if (auto* shape = dynamic_cast<OVShapeWatermark*>(&mark))
        shape->setLineDash(dash);
    else if (auto* strike = dynamic_cast<OVStrikethroughWatermark*>(&mark))
        strike->setLineDash(dash);
    else
        throw notForKind(key, mark);
}

// Text changes re-measure the frame; a text that scales with the image keeps its width.
void setTextProperty(OVTextWatermark& text, std::string_view key, std::string_view value) {
    text.setBounds(kMarkReferenceBounds);
    const BoxPlacement placement = currentPlacement(text);
    if (key == "text") {
        if (value.empty())
            throw usageError("text: a text mark needs its text");
        text.setStringValue(std::string(value));
    } else if (key == "font") {
        text.setFont(fontNamed(std::string(value), text.font()));
    } else {
        text.setFontSize(checkedPositive(parseNumber(value, key), key, false));
        // An explicit point size stops the text from scaling with the image.
        text.setShouldUseDynamicFontSize(false);
        text.setShouldUseRelativeSize(false);
        BoxPlacement fixed = placement;
        fixed.width = 0;
        placeBox(text, fixed);
        return;
    }
    placeBox(text, placement);
}

} // namespace

const std::vector<std::string>& markKindNames() {
    static const std::vector<std::string> names{"text",  "image",         "shape",
                                                "arrow", "strikethrough", "pixellate"};
    return names;
}

void addMarkOptions(CLI::App& command, MarkOptions& options) {
    const char* group = "Placement and style";
    command
        .add_option("--anchor", options.anchor,
                    "Where the mark sits: top-left, top-right, bottom-left, bottom-right or center")
        ->group(group)
        ->capture_default_str();
    command.add_option("--margin", options.margin, "Distance from the anchor's edges, e.g. 3%")
        ->group(group)
        ->capture_default_str();
    command
        .add_option("--width", options.width,
                    "Width as a share of the image width, e.g. 20% (text 25%, others 20% "
                    "unless given)")
        ->group(group);
    command.add_option("--rotation", options.rotation, "Degrees, clockwise")->group(group);
    command.add_option("--opacity", options.opacity, "0 (invisible) to 1 (opaque)")->group(group);
    command.add_option("--shadow", options.shadow, "Drop shadow opacity, 0 (none) to 1")
        ->group(group);
    command
        .add_option("--color", options.color,
                    "#RRGGBB or #RRGGBBAA: text colour, outline of shapes, arrows and "
                    "strike-throughs")
        ->group(group);
    command.add_option("--font", options.font, "Font face name (text), e.g. \"DejaVu Sans\"")
        ->group(group);
    command
        .add_option("--size", options.size,
                    "Font size in points (text); without --width the text keeps this size")
        ->group(group);
    command
        .add_option("--stroke", options.stroke,
                    "Line width in pixels (shape, arrow, "
                    "strikethrough)")
        ->group(group);
    command
        .add_option("--dash", options.dash,
                    "Dash length in pixels, 0 for solid (shape, "
                    "strikethrough)")
        ->group(group);
    command.add_option("--fill", options.fill, "Fill colour or none (shape)")->group(group);
    command.add_option("--shape", options.shape, "Figure of a shape mark: square or circle")
        ->group(group);
    command.add_option("--image", options.image, "Picture file (image)")->group(group);
    command.add_option("--from", options.from, "Arrow start X%,Y% from the top-left corner")
        ->group(group);
    command.add_option("--to", options.to, "Arrow end (tip) X%,Y%")->group(group);
    command
        .add_option("--rect", options.rect,
                    "X%,Y%,W%,H%: area covered (shape, pixellate), from the top-left corner")
        ->group(group);
    command
        .add_option("--intensity", options.intensity,
                    "Mosaic block size in pixels "
                    "(pixellate)")
        ->group(group);
}

OVWatermarkPtr makeMark(std::string_view kind, const MarkOptions& options,
                        const std::string& text) {
    if (kind == "text")
        return makeText(options, text);
    if (kind == "image" || kind == "logo")
        return makeImage(options, text);
    if (kind == "shape")
        return makeShape(options);
    if (kind == "arrow")
        return makeArrow(options);
    if (kind == "strikethrough")
        return makeStrikethrough(options);
    if (kind == "pixellate")
        return makePixellate(options);
    throw usageError("unknown watermark kind \"" + std::string(kind) + "\"",
                     "kinds: " + joined(markKindNames()));
}

const std::vector<std::string>& markPropertyKeys() {
    static const std::vector<std::string> keys{
        "title", "opacity", "rotation", "shadow", "anchor", "margin",   "width",
        "rect",  "from",    "to",       "text",   "font",   "size",     "color",
        "fill",  "stroke",  "dash",     "shape",  "image",  "intensity"};
    return keys;
}

void setMarkProperty(OVWatermark& mark, std::string_view key, std::string_view value) {
    if (key == "title")
        mark.setTitle(std::string(value));
    else if (key == "opacity") {
        checkDrawsWith(mark, key, key);
        mark.setAlpha(checkedUnit(parseNumber(value, key), key));
    } else if (key == "shadow") {
        checkDrawsWith(mark, key, key);
        mark.setShadow(checkedUnit(parseNumber(value, key), key));
    } else if (key == "rotation") {
        checkDrawsWith(mark, key, key);
        // The turned frame is placed anew, so the mark keeps its corner and margins.
        const bool placed = mark.shouldUseRelativePosition();
        if (placed)
            mark.setBounds(kMarkReferenceBounds);
        const BoxPlacement placement = currentPlacement(mark);
        mark.setRotation(parseNumber(value, key));
        if (placed)
            placeBox(mark, placement);
    } else if (key == "anchor" || key == "margin" || key == "width" || key == "rect")
        setPlacement(mark, key, value);
    else if (key == "from" || key == "to")
        setArrowPoint(mark, key, value);
    else if (key == "text" || key == "font" || key == "size") {
        auto* text = dynamic_cast<OVTextWatermark*>(&mark);
        if (!text)
            throw notForKind(key, mark);
        setTextProperty(*text, key, value);
    } else if (key == "color")
        setColorOf(mark, key, value);
    else if (key == "stroke")
        setStrokeOf(mark, key, value);
    else if (key == "dash")
        setDashOf(mark, key, value);
    else if (key == "fill" || key == "shape") {
        auto* shape = dynamic_cast<OVShapeWatermark*>(&mark);
        if (!shape)
            throw notForKind(key, mark);
        if (key == "fill")
            shape->setFillColor(parseColor(value, key));
        else
            shape->setShapeType(shapeTypeNamed(value, key));
    } else if (key == "intensity") {
        auto* pixellate = dynamic_cast<OVPixellateWatermark*>(&mark);
        if (!pixellate)
            throw notForKind(key, mark);
        pixellate->setIntensity(checkedPositive(parseNumber(value, key), key, false));
    } else if (key == "image") {
        auto* image = dynamic_cast<OVImageWatermark*>(&mark);
        if (!image)
            throw notForKind(key, mark);
        mark.setBounds(kMarkReferenceBounds);
        const BoxPlacement placement = currentPlacement(mark);
        setPicture(*image, std::string(value), key);
        placeBox(mark, placement);
    } else
        throw usageError("unknown key \"" + std::string(key) + "\"",
                         "keys: " + joined(markPropertyKeys()));
    mark.setShouldSave(true);
}

} // namespace cli
