#include "MarkOptions.h"

#include "MarkValues.h"

#include "inkstead/platform/text/Font.h"
#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <cstdio>

#include <algorithm>
#include <tuple>

namespace cli {
namespace {

// Sizes of marks placed without --width or --rect, as shares of the image width.
constexpr double kDefaultTextWidth = 0.25;
constexpr double kDefaultBoxWidth = 0.2;

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

CliError notForKind(std::string_view key, const OVWatermarkKind& kind) {
    const bool vowel = std::string_view("aeiou").find(kind.name.front()) != std::string_view::npos;
    return usageError("\"" + std::string(key) + "\" does not apply to " + (vowel ? "an " : "a ") +
                          std::string(kind.name) + " mark",
                      "see `inkstead watermark set --help` for the keys of each kind");
}

const OVWatermarkKind& kindOf(const OVWatermark& mark) {
    const OVWatermarkKind* kind = OVWatermarkKindOfInstance(mark);
    if (!kind)
        throw usageError("the watermark is of an unknown kind (a damaged preset?)");
    return *kind;
}

void setMargin(OVPlacement& placement, std::string_view text, std::string_view option) {
    requireUnit(text, option);
    const auto margin = OVPlacementMarginFromString(text);
    if (!margin)
        throw usageError(std::string(option) + ": \"" + std::string(text) +
                             "\" is not a margin on the image",
                         "give 0% or more and less than 50% of the shorter side, or pixels "
                         "such as 24px");
    std::tie(placement.marginUnit, placement.margin) = *margin;
}

OVPlacementSizeRule shareRule(std::string_view text, std::string_view option) {
    const auto rule = OVPlacementShareRuleNamed(text);
    if (!rule)
        throw usageError(std::string(option) + ": invalid value \"" + std::string(text) + "\"",
                         "expected width, longer-side or shorter-side");
    return *rule;
}

void setWidth(OVPlacement& placement, std::string_view text, std::string_view relativeTo,
              std::string_view option) {
    (void)shareRule(relativeTo, "--relative-to");
    requireUnit(text, option);
    const auto width = OVPlacementSizeFromString(text, relativeTo);
    if (!width)
        throw usageError(std::string(option) + ": \"" + std::string(text) +
                             "\" is not a width on the image",
                         "give more than 0% and at most 100%, e.g. 20%, or pixels such as 300px");
    std::tie(placement.sizeRule, placement.size) = *width;
}

// A face name the system has no face for still draws, in a stand-in: say which.
void warnIfFontStandsIn(std::string_view name) {
    const ov::Font font{std::string(name), 12};
    if (!font.isExactMatch())
        std::fprintf(stderr,
                     "inkstead: warning: no installed font is called \"%s\"; drawing with "
                     "\"%s\" (see `inkstead fonts`)\n",
                     printable(name).c_str(), printable(font.resolvedFaceName()).c_str());
}

// Sets a kind's property from the words of a command line, checking type and range.
void setProperty(OVWatermark& mark, const OVWatermarkProperty& property, std::string_view text,
                 std::string_view option) {
    if (property.key == "fontName" || property.option == "font")
        warnIfFontStandsIn(text);
    auto value = OVPropertyValueFromString(property, text);
    if (!value)
        throw usageError(std::string(option) + ": " + value.error().message,
                         property.type == OVPropertyType::Picture
                             ? "give a PNG, JPEG, TIFF, WebP, HEIF or GIF file of at most 100 "
                               "megapixels"
                             : std::string());
    property.set(mark, value.value());
    if (const std::error_code stored = mark.storageError())
        throw usageError(std::string(option) + ": cannot store the picture of " +
                             std::string(text) + ": " + errorText(stored),
                         "free some space or check the presets folder's permissions");
}

// The style options given, by the short name kinds use for them.
std::vector<std::pair<std::string, std::string>> givenStyle(const MarkOptions& options) {
    std::vector<std::pair<std::string, std::string>> given;
    auto number = [](double v) { return OVNumberString(v); };
    if (!options.font.empty())
        given.emplace_back("font", options.font);
    if (options.size)
        given.emplace_back("size", number(*options.size));
    if (!options.color.empty())
        given.emplace_back("color", options.color);
    if (!options.fill.empty())
        given.emplace_back("fill", options.fill);
    if (!options.shape.empty())
        given.emplace_back("shape", options.shape);
    if (options.stroke)
        given.emplace_back("stroke", number(*options.stroke));
    if (options.dash)
        given.emplace_back("dash", number(*options.dash));
    if (options.intensity)
        given.emplace_back("intensity", number(*options.intensity));
    for (const auto& [option, value] : options.additional)
        if (!value.empty())
            given.emplace_back(option, value);
    return given;
}

void checkDrawsWith(const OVWatermarkKind& kind, OVSharedSetting setting, std::string_view key) {
    if (!kind.drawsWith(setting))
        throw notForKind(key, kind);
}

// Sets opacity, shadow or rotation (`key`), which not every kind draws with; false for other
// keys. `option` names the value in messages.
bool setShared(OVWatermark& mark, const OVWatermarkKind& kind, std::string_view key,
               std::string_view value, std::string_view option) {
    if (key == "opacity") {
        checkDrawsWith(kind, OVSharedSettingOpacity, option);
        mark.setAlpha(parseUnitInterval(value, option));
    } else if (key == "shadow") {
        checkDrawsWith(kind, OVSharedSettingShadow, option);
        mark.setShadow(parseUnitInterval(value, option));
    } else if (key == "rotation") {
        checkDrawsWith(kind, OVSharedSettingRotation, option);
        mark.setRotation(parseNumber(value, option));
    } else {
        return false;
    }
    return true;
}

void applyShared(OVWatermark& mark, const OVWatermarkKind& kind, const MarkOptions& options) {
    const std::string rotation = options.rotation ? OVNumberString(*options.rotation) : "";
    for (const auto& [key, value] :
         {std::pair<std::string_view, std::string_view>{"opacity", options.opacity},
          {"shadow", options.shadow},
          {"rotation", rotation}})
        if (!value.empty())
            setShared(mark, kind, key, value, "--" + std::string(key));
}

// Places an arrow between two points given as fractions of the image from its top-left corner.
void placeArrow(OVArrowWatermark& arrow, ov::Point from, ov::Point to) {
    if (!arrow.setEndsFromTopLeft(from, to))
        throw usageError("--from and --to: an arrow needs two different points");
}

void place(OVWatermark& mark, const OVWatermarkKind& kind, const MarkOptions& options) {
    if (kind.property("begin")) {
        const std::string from = options.from.empty() ? "60%,60%" : options.from;
        const std::string to = options.to.empty() ? "80%,80%" : options.to;
        placeArrow(static_cast<OVArrowWatermark&>(mark), parsePointFraction(from, "--from"),
                   parsePointFraction(to, "--to"));
        return;
    }
    if (!options.rect.empty() && kind.drawsWith(OVSharedSettingAreaPlacement)) {
        mark.placeOverArea(parseRectFraction(options.rect, "--rect"));
        return;
    }
    if (!kind.drawsWith(OVSharedSettingAnchorPlacement))
        return;
    OVPlacement placement;
    placement.anchor = parseAnchor(options.anchor, "--anchor");
    setMargin(placement, options.margin, "--margin");
    const bool isText = kind.type == OVWatermarkTypeText;
    if (!options.width.empty())
        setWidth(placement, options.width, options.relativeTo, "--width");
    else if (!(isText && options.size)) // a point size alone keeps the text at that size
        setWidth(placement, OVPercentString(isText ? kDefaultTextWidth : kDefaultBoxWidth),
                 options.relativeTo, "--width");
    mark.setPlacement(placement);
}

} // namespace

std::vector<std::string> markKindNames() {
    std::vector<std::string> names;
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds())
        names.emplace_back(kind->name);
    return names;
}

void addMarkOptions(CLI::App& command, MarkOptions& options) {
    const char* group = "Placement and style";
    command
        .add_option("--anchor", options.anchor,
                    "Where the mark sits: top-left, top, top-right, left, center, right, "
                    "bottom-left, bottom or bottom-right")
        ->group(group)
        ->capture_default_str();
    command
        .add_option("--margin", options.margin,
                    "Gap between the mark and the anchor's edges: a share of the image's "
                    "shorter side (3%) or pixels (24px)")
        ->group(group)
        ->capture_default_str();
    command
        .add_option("--width", options.width,
                    "Width as a share of the image (20%; text 25%, others 20% unless given) or "
                    "in pixels (300px)")
        ->group(group);
    command
        .add_option("--relative-to", options.relativeTo,
                    "What a --width share is of: width, longer-side (one size on portrait and "
                    "landscape photos) or shorter-side")
        ->group(group)
        ->capture_default_str();
    command.add_option("--rotation", options.rotation, "Degrees, clockwise")->group(group);
    command.add_option("--opacity", options.opacity, "0 (invisible) to 1 (opaque), or 0% to 100%")
        ->group(group);
    command
        .add_option("--shadow", options.shadow, "Drop shadow opacity, 0 (none) to 1, or 0% to 100%")
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
                    "Line width in pixels (shape, arrow, strikethrough)")
        ->group(group);
    command
        .add_option("--dash", options.dash,
                    "Dash length in pixels, 0 for solid (shape, strikethrough)")
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
    command.add_option("--intensity", options.intensity, "Mosaic block size in pixels (pixellate)")
        ->group(group);
    // One option per additional setting of the kinds, named and described by the kind.
    std::map<std::string_view, std::pair<const OVWatermarkProperty*, std::vector<std::string>>>
        settings;
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds())
        for (const auto& property : kind->properties)
            if (property.additional && property.editable && !property.option.empty()) {
                auto& [first, kinds] = settings[property.option];
                first = first ? first : &property;
                kinds.emplace_back(kind->name);
            }
    for (const auto& [option, described] : settings) {
        const auto& [property, kinds] = described;
        std::string& value = options.additional[std::string(option)];
        const std::string name = "--" + std::string(option);
        const std::string help = std::string(property->label) + " (" + joined(kinds) + ")";
        // A setting that is off by default is turned on by the bare option.
        if (property->type == OVPropertyType::Bool && !std::get<bool>(property->defaultValue))
            command
                .add_flag_function(
                    name, [&value](std::int64_t count) { value = count > 0 ? "true" : ""; }, help)
                ->group(group);
        else
            command.add_option(name, value, help)->group(group);
    }
}

OVWatermarkPtr makeMark(std::string_view kindName, const MarkOptions& options,
                        const std::string& text, const OVStorageFolder& storage) {
    const OVWatermarkKind* kind = OVWatermarkKindNamed(kindName == "logo" ? "image" : kindName);
    if (!kind)
        throw usageError("unknown watermark kind \"" + std::string(kindName) + "\"",
                         "kinds: " + joined(markKindNames()));
    auto mark = kind->make();
    mark->attachToStorage(storage);
    for (const auto& property : kind->properties) {
        if (property.type == OVPropertyType::Text) {
            if (text.empty())
                throw usageError("a text mark needs its text",
                                 "e.g. inkstead watermark add P text \"(c) 2026 Me\"");
            setProperty(*mark, property, text, "TEXT");
        } else if (property.type == OVPropertyType::Picture) {
            mark->setBounds(kOVPlacementReferenceBounds);
            setProperty(*mark, property, options.image.empty() ? text : options.image, "--image");
            mark->setBounds(ov::RectZero);
        }
    }
    // Options that do not apply to this kind are left alone: export and render pass the same
    // options to an ad-hoc text and an ad-hoc logo.
    for (const auto& [option, value] : givenStyle(options))
        if (const OVWatermarkProperty* property = kind->property(option);
            property && property->editable && property->type != OVPropertyType::Text)
            setProperty(*mark, *property, value, "--" + option);
    applyShared(*mark, *kind, options);
    place(*mark, *kind, options);
    return mark;
}

std::vector<std::string> markPropertyKeys() {
    std::vector<std::string> keys{"title", "opacity",     "rotation", "shadow", "anchor", "margin",
                                  "width", "relative-to", "rect",     "from",   "to"};
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds())
        for (const auto& property : kind->properties)
            if (property.editable && !property.option.empty() &&
                std::find(keys.begin(), keys.end(), property.option) == keys.end())
                keys.emplace_back(property.option);
    return keys;
}

void setMarkProperty(OVWatermark& mark, std::string_view key, std::string_view value) {
    const OVWatermarkKind& kind = kindOf(mark);
    auto keepPlaced = [&mark] {
        if (const auto placement = mark.placement())
            mark.setPlacement(placement);
    };
    if (key == "title") {
        mark.setTitle(std::string(value));
    } else if (setShared(mark, kind, key, value, key)) {
        if (key == "rotation")
            keepPlaced(); // the turned frame keeps its anchor and margins
    } else if (key == "anchor" || key == "margin" || key == "width" || key == "relative-to") {
        checkDrawsWith(kind, OVSharedSettingAnchorPlacement, key);
        OVPlacement placement = mark.effectivePlacement();
        if (key == "anchor")
            placement.anchor = parseAnchor(value, key);
        else if (key == "margin")
            setMargin(placement, value, key);
        else if (key == "width")
            setWidth(placement, value, "width", key);
        else if (placement.sizeRule != OVPlacementSizeRule::Pixels &&
                 placement.sizeRule != OVPlacementSizeRule::Unchanged)
            placement.sizeRule = shareRule(value, key); // the share stays, of another length
        mark.setPlacement(placement);
    } else if (key == "rect") {
        checkDrawsWith(kind, OVSharedSettingAreaPlacement, key);
        mark.placeOverArea(parseRectFraction(value, key));
    } else if (key == "from" || key == "to") {
        auto* arrow = dynamic_cast<OVArrowWatermark*>(&mark);
        if (!arrow)
            throw notForKind(key, kind);
        auto [from, to] = arrow->endsFromTopLeft();
        (key == "from" ? from : to) = parsePointFraction(value, key);
        placeArrow(*arrow, from, to);
    } else if (const OVWatermarkProperty* property = kind.property(key);
               property && property->editable && !property->option.empty()) {
        setProperty(mark, *property, value, key);
        if (property->key == "fontSize") {
            // An explicit point size stops the text from scaling with the image.
            if (const auto* dynamic = kind.property("dynamicFontSize"))
                dynamic->set(mark, false);
            mark.setShouldUseRelativeSize(false);
            if (auto placement = mark.placement()) {
                placement->sizeRule = OVPlacementSizeRule::Unchanged;
                mark.setPlacement(placement);
            }
        }
        keepPlaced();
    } else {
        const auto keys = markPropertyKeys();
        if (std::find(keys.begin(), keys.end(), key) != keys.end())
            throw notForKind(key, kind);
        throw usageError("unknown key \"" + std::string(key) + "\"", "keys: " + joined(keys));
    }
    mark.setShouldSave(true);
}

} // namespace cli
