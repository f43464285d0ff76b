#include "PresetJson.h"

#include "CliSupport.h"
#include "MarkValues.h"
#include "PresetJsonBase64.h"

#include "platform/imageio/ImageDestination.h"
#include "platform/imageio/ImageSource.h"
#include "watermarks/OVArrowWatermark.h"
#include "watermarks/OVPixellateWatermark.h"
#include "watermarks/OVShapeWatermark.h"
#include "watermarks/OVStrikethroughWatermark.h"
#include "watermarks/OVTextWatermark.h"

#include <cmath>
#include <optional>
#include <set>
#include <string>

using nlohmann::json;

namespace cli {
namespace {

// Geometry beyond this many units is no photograph's; it only comes from damaged files.
constexpr double kMaxUnits = 1e7;
// Decodes of pictures are asked for their full size.
constexpr double kFullSize = 1e7;
// A logo of more pixels than this is a decompression bomb, not a watermark.
constexpr double kMaxPicturePixels = 100e6;

const char* const kKindNames[] = {"text", "image", "strikethrough", "shape", "arrow", "pixellate"};
const char* const kQuadrantNames[] = {"bottom-left", "bottom-right", "top-left", "top-right"};
const char* const kShapeNames[] = {"square", "circle"};
const char* const kConstraintNames[] = {"width", "height", "longest-side"};
const char* const kMethodNames[] = {"pixels", "percentage"};

template <std::size_t N> json enumToJson(std::uint64_t value, const char* const (&names)[N]) {
    if (value < N)
        return names[value];
    return value; // a value from a damaged record is kept as it is
}

json pointToJson(ov::Point p) {
    return {{"x", p.x}, {"y", p.y}};
}

json sizeToJson(ov::Size s) {
    return {{"width", s.width}, {"height", s.height}};
}

// Colours on the 8-bit grid read best as "#RRGGBB[AA]"; anything finer keeps its exact values.
json colorToJson(const std::optional<ov::Color>& color) {
    if (!color)
        return nullptr;
    const double components[] = {color->red, color->green, color->blue, color->alpha};
    bool onGrid = true;
    for (const double c : components)
        onGrid = onGrid && c >= 0 && c <= 1 && std::fabs(c * 255 - std::round(c * 255)) < 1e-4;
    if (onGrid)
        return formatColor(*color);
    return json::array({color->red, color->green, color->blue, color->alpha});
}

// --- reading -------------------------------------------------------------------------------

// One JSON object being read: every access names the field's path in errors, and fields that
// nobody asked for are reported as unknown.
class Fields {
public:
    Fields(const json& value, std::string path) : value_(value), path_(std::move(path)) {
        if (!value.is_object())
            throw error(path_, "expected an object");
    }

    [[nodiscard]] bool has(const std::string& key) {
        used_.insert(key);
        return value_.contains(key) && !value_.at(key).is_null();
    }
    /// Present and null.
    [[nodiscard]] bool isNull(const std::string& key) {
        used_.insert(key);
        return value_.contains(key) && value_.at(key).is_null();
    }
    [[nodiscard]] const json& at(const std::string& key) {
        used_.insert(key);
        return value_.at(key);
    }
    [[nodiscard]] std::string pathOf(const std::string& key) const {
        return path_.empty() ? key : path_ + "." + key;
    }

    std::optional<double> number(const std::string& key, double min = -kMaxUnits,
                                 double max = kMaxUnits) {
        if (!has(key))
            return std::nullopt;
        const json& v = at(key);
        if (!v.is_number())
            throw error(pathOf(key), "expected a number");
        const double number = v.get<double>();
        if (!std::isfinite(number) || number < min || number > max)
            throw error(pathOf(key),
                        "expected a number from " + shortNumber(min) + " to " + shortNumber(max));
        return number;
    }
    std::optional<bool> boolean(const std::string& key) {
        if (!has(key))
            return std::nullopt;
        if (!at(key).is_boolean())
            throw error(pathOf(key), "expected true or false");
        return at(key).get<bool>();
    }
    std::optional<std::string> string(const std::string& key) {
        if (!has(key))
            return std::nullopt;
        if (!at(key).is_string())
            throw error(pathOf(key), "expected a string");
        return at(key).get<std::string>();
    }
    std::optional<ov::Point> point(const std::string& key) {
        if (!has(key))
            return std::nullopt;
        Fields p(at(key), pathOf(key));
        const auto x = p.number("x"), y = p.number("y");
        if (!x || !y)
            throw error(pathOf(key), "expected {\"x\": number, \"y\": number}");
        p.finish();
        return ov::Point{*x, *y};
    }
    std::optional<ov::Size> size(const std::string& key, double min = 0) {
        if (!has(key))
            return std::nullopt;
        Fields s(at(key), pathOf(key));
        const auto w = s.number("width", min), h = s.number("height", min);
        if (!w || !h)
            throw error(pathOf(key), "expected {\"width\": number, \"height\": number}");
        s.finish();
        return ov::Size{*w, *h};
    }
    std::optional<ov::UUID> uuid(const std::string& key) {
        const auto text = string(key);
        if (!text)
            return std::nullopt;
        const auto parsed = ov::UUID::fromString(*text);
        if (!parsed)
            throw error(pathOf(key),
                        "expected a UUID such as 0AD863BA-7584-40CF-8896-BD87B3280C34");
        return parsed;
    }
    /// Present and null gives an engaged optional holding no colour.
    std::optional<std::optional<ov::Color>> color(const std::string& key) {
        used_.insert(key);
        if (!value_.contains(key))
            return std::nullopt;
        const json& v = value_.at(key);
        if (v.is_null())
            return std::optional<ov::Color>{};
        if (v.is_string())
            return std::optional<ov::Color>{parseColor(v.get<std::string>(), pathOf(key))};
        if (v.is_array() && v.size() == 4) {
            double c[4];
            for (std::size_t i = 0; i < 4; ++i) {
                if (!v[i].is_number() || v[i].get<double>() < 0 || v[i].get<double>() > 1)
                    throw error(pathOf(key), "expected components from 0 to 1");
                c[i] = v[i].get<double>();
            }
            return std::optional<ov::Color>{ov::Color{c[0], c[1], c[2], c[3]}};
        }
        throw error(pathOf(key), "expected \"#RRGGBB[AA]\", [red, green, blue, alpha] or null");
    }
    template <std::size_t N>
    std::optional<std::uint64_t> enumeration(const std::string& key,
                                             const char* const (&names)[N]) {
        if (!has(key))
            return std::nullopt;
        const json& v = at(key);
        if (v.is_string())
            for (std::size_t i = 0; i < N; ++i)
                if (v.get<std::string>() == names[i])
                    return i;
        if (v.is_number_unsigned())
            return v.get<std::uint64_t>();
        std::string choices;
        for (const char* name : names)
            choices += (choices.empty() ? "" : ", ") + std::string(name);
        throw error(pathOf(key), "expected one of " + choices);
    }

    /// Rejects fields no reader asked for (a misspelt name would otherwise be ignored).
    void finish() const {
        for (const auto& [key, v] : value_.items())
            if (!used_.contains(key))
                throw error(pathOf(key), "unknown field");
    }

    static CliError error(const std::string& path, const std::string& message) {
        return usageError("invalid preset JSON: " + (path.empty() ? "" : path + ": ") + message,
                          "see docs/preset-json.md for the layout");
    }

private:
    static std::string shortNumber(double v) {
        std::string text = std::to_string(v);
        while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.'))
            text.pop_back();
        return text;
    }

    const json& value_;
    std::string path_;
    std::set<std::string> used_;
};

// The fields of the base record, in the order the setters must see them: the size before the
// cap, so that a recorded size above its cap is kept as recorded.
void readBase(OVWatermark& mark, Fields& f) {
    if (auto v = f.uuid("uuid"))
        mark.setUuid(*v);
    if (auto v = f.string("title"))
        mark.setTitle(*v);
    mark.setHasMaxSize(false);
    if (auto v = f.point("origin"))
        mark.setOrigin(*v);
    if (auto v = f.size("size"))
        mark.setSize(*v);
    if (auto v = f.number("alpha", 0, 1))
        mark.setAlpha(*v);
    if (auto v = f.number("rotation", -360000, 360000))
        mark.setRotation(*v);
    if (auto v = f.number("shadow", 0, 1))
        mark.setShadow(*v);
    if (auto v = f.boolean("proportional"))
        mark.setShouldResizeProportionally(*v);
    if (auto v = f.boolean("useRelativePosition"))
        mark.setShouldUseRelativePosition(*v);
    if (auto v = f.boolean("useRelativeSize"))
        mark.setShouldUseRelativeSize(*v);
    if (auto v = f.enumeration("relativeQuadrant", kQuadrantNames))
        mark.setRelativeQuadrant(static_cast<OVRelativeQuadrant>(*v));
    if (auto v = f.point("relativePosition"))
        mark.setRelativePosition(*v);
    if (auto v = f.size("relativeSize", -kMaxUnits))
        mark.setRelativeSize(*v);
    if (auto v = f.size("maxSize"))
        mark.setMaxSize(*v);
    if (auto v = f.boolean("hasMaxSize"))
        mark.setHasMaxSize(*v);
}

void readText(OVTextWatermark& mark, Fields& f) {
    if (f.has("font")) {
        Fields font(f.at("font"), f.pathOf("font"));
        const auto name = font.string("name");
        const auto size = font.number("size", 0, 100000);
        font.finish();
        mark.setFont(ov::Font(name.value_or(""), size.value_or(12)));
    } else if (f.isNull("font")) {
        mark.setFont(std::nullopt);
    }
    if (auto v = f.number("fontSize", 0, 100000))
        mark.setFontSize(*v);
    if (auto v = f.color("color"))
        mark.setFontColor(*v);
    if (auto v = f.boolean("dynamicFontSize"))
        mark.setShouldUseDynamicFontSize(*v);
    if (auto v = f.string("text"))
        mark.setStringValue(*v);
}

ov::ImagePtr readPicture(Fields& f) {
    const auto text = f.string("picture");
    if (!text)
        return nullptr;
    const auto bytes = decodeBase64(*text);
    if (!bytes)
        throw Fields::error(f.pathOf("picture"), "expected base64 data");
    auto source = ov::ImageSource::createWithData(*bytes);
    if (source) {
        const auto properties = source->properties();
        const double pixels = properties.number(ov::kOVPropertyPixelWidth).value_or(0) *
                              properties.number(ov::kOVPropertyPixelHeight).value_or(0);
        if (pixels > kMaxPicturePixels)
            throw Fields::error(f.pathOf("picture"), "the picture is too large for a watermark");
    }
    ov::ImagePtr picture = source ? source->createThumbnail(kFullSize) : nullptr;
    if (!picture)
        throw Fields::error(f.pathOf("picture"), "the data is not a picture the tool can read");
    return picture;
}

void readShape(OVShapeWatermark& mark, Fields& f) {
    if (auto v = f.enumeration("shape", kShapeNames))
        mark.setShapeType(static_cast<OVShapeType>(*v));
    if (auto v = f.number("strokeThickness", 0))
        mark.setStrokeThickness(*v);
    if (auto v = f.color("strokeColor"))
        mark.setStrokeColor(*v);
    if (auto v = f.color("fillColor"))
        mark.setFillColor(*v);
    if (auto v = f.number("lineDash", 0))
        mark.setLineDash(*v);
}

void readArrow(OVArrowWatermark& mark, Fields& f) {
    if (auto v = f.number("strokeThickness", 0))
        mark.setStrokeThickness(*v);
    if (auto v = f.color("strokeColor"))
        mark.setStrokeColor(*v);
    // Points after the base record: they rebuild origin, size and direction.
    const auto begin = f.point("begin");
    const auto end = f.point("end");
    if (begin)
        mark.setBeginPoint(*begin);
    if (end)
        mark.setEndPoint(*end);
    if (auto v = f.size("relativeBegin", -kMaxUnits))
        mark.setRelativeBeginning(*v);
    if (auto v = f.size("relativeEnd", -kMaxUnits))
        mark.setRelativeEnding(*v);
}

void readStrikethrough(OVStrikethroughWatermark& mark, Fields& f) {
    if (auto v = f.color("color"))
        mark.setColor(*v);
    if (auto v = f.number("strokeThickness", 0))
        mark.setStrokeThickness(*v);
    if (auto v = f.number("lineDash", 0))
        mark.setLineDash(*v);
}

OVWatermarkPtr newMarkOfKind(std::uint64_t kind, const std::string& path) {
    switch (kind) {
    case OVWatermarkTypeText:
        return OVTextWatermark::textWatermark();
    case OVWatermarkTypeImage:
        return OVImageWatermark::imageWatermark();
    case OVWatermarkTypeStrikethrough:
        return OVStrikethroughWatermark::strikethroughWatermark();
    case OVWatermarkTypeShape:
        return OVShapeWatermark::shapeWatermark();
    case OVWatermarkTypeArrow:
        return OVArrowWatermark::arrowWatermark();
    case OVWatermarkTypePixellate:
        return OVPixellateWatermark::pixellateWatermark();
    default:
        throw Fields::error(path, "unknown kind");
    }
}

// Kind fields first, the base record last: a text's setters re-measure its frame and an
// arrow's points rebuild its rectangle, and the recorded values must win.
OVWatermarkPtr readWatermark(const json& value, const std::string& path, ImportedPreset& result) {
    Fields f(value, path);
    const auto kind = f.enumeration("kind", kKindNames);
    if (!kind)
        throw Fields::error(f.pathOf("kind"), "missing");
    auto mark = newMarkOfKind(*kind, f.pathOf("kind"));
    if (auto* text = dynamic_cast<OVTextWatermark*>(mark.get()))
        readText(*text, f);
    else if (auto* shape = dynamic_cast<OVShapeWatermark*>(mark.get()))
        readShape(*shape, f);
    else if (auto* strike = dynamic_cast<OVStrikethroughWatermark*>(mark.get()))
        readStrikethrough(*strike, f);
    else if (auto* pixellate = dynamic_cast<OVPixellateWatermark*>(mark.get())) {
        if (auto v = f.number("intensity", 0, 100000))
            pixellate->setIntensity(*v);
    }
    ov::ImagePtr picture;
    if (mark->type() == OVWatermarkTypeImage)
        picture = readPicture(f);
    readBase(*mark, f);
    if (auto* arrow = dynamic_cast<OVArrowWatermark*>(mark.get()))
        readArrow(*arrow, f);
    f.finish();
    if (picture) {
        result.pictures.emplace_back(std::static_pointer_cast<OVImageWatermark>(mark), picture);
        result.pictureRecords.push_back(value);
    }
    return mark;
}

void readExportSettings(OVPreset& preset, Fields& f) {
    if (auto v = f.boolean("resize"))
        preset.setShouldResize(*v);
    if (auto v = f.enumeration("constraint", kConstraintNames))
        preset.setResizeConstraint(static_cast<OVResizeConstraint>(*v));
    if (auto v = f.enumeration("method", kMethodNames))
        preset.setResizeMethod(static_cast<OVResizeMethod>(*v));
    if (auto v = f.number("value", 0, kMaxUnits))
        preset.setResizeValue(*v);
    if (auto v = f.boolean("stripMetadata"))
        preset.setShouldStripMetadata(*v);
}

} // namespace

json watermarkToJson(const OVWatermark& mark, bool withPictures) {
    json j;
    j["kind"] = enumToJson(mark.type(), kKindNames);
    j["uuid"] = mark.uuid().uuidString();
    j["title"] = mark.title();
    j["origin"] = pointToJson(mark.origin());
    j["size"] = sizeToJson(mark.size());
    j["alpha"] = mark.alpha();
    j["rotation"] = mark.rotation();
    j["shadow"] = mark.shadow();
    j["proportional"] = mark.shouldResizeProportionally();
    j["useRelativePosition"] = mark.shouldUseRelativePosition();
    j["useRelativeSize"] = mark.shouldUseRelativeSize();
    j["relativeQuadrant"] = enumToJson(mark.relativeQuadrant(), kQuadrantNames);
    j["relativePosition"] = pointToJson(mark.relativePosition());
    j["relativeSize"] = sizeToJson(mark.relativeSize());
    j["hasMaxSize"] = mark.hasMaxSize();
    j["maxSize"] = sizeToJson(mark.maxSize());

    if (const auto* text = dynamic_cast<const OVTextWatermark*>(&mark)) {
        const auto value = text->stringValue();
        j["text"] = value ? json(*value) : json(nullptr);
        const auto font = text->font();
        j["font"] =
            font ? json{{"name", font->fontName()}, {"size", font->pointSize()}} : json(nullptr);
        j["fontSize"] = text->fontSize();
        j["color"] = colorToJson(text->fontColor());
        j["dynamicFontSize"] = text->shouldUseDynamicFontSize();
    } else if (const auto* image = dynamic_cast<const OVImageWatermark*>(&mark)) {
        json picture = nullptr;
        if (withPictures)
            if (const auto pixels = image->image()) {
                const auto png = ov::encodeImage(*pixels, "public.png", nullptr);
                if (!png.empty())
                    picture = encodeBase64(png);
            }
        j["picture"] = picture;
    } else if (const auto* shape = dynamic_cast<const OVShapeWatermark*>(&mark)) {
        j["shape"] = enumToJson(shape->shapeType(), kShapeNames);
        j["strokeThickness"] = shape->strokeThickness();
        j["strokeColor"] = colorToJson(shape->strokeColor());
        j["fillColor"] = colorToJson(shape->fillColor());
        j["lineDash"] = shape->lineDash();
    } else if (const auto* arrow = dynamic_cast<const OVArrowWatermark*>(&mark)) {
        j["strokeThickness"] = arrow->strokeThickness();
        j["strokeColor"] = colorToJson(arrow->strokeColor());
        j["begin"] = pointToJson(arrow->beginPoint());
        j["end"] = pointToJson(arrow->endPoint());
        j["relativeBegin"] = sizeToJson(arrow->relativeBeginning());
        j["relativeEnd"] = sizeToJson(arrow->relativeEnding());
    } else if (const auto* strike = dynamic_cast<const OVStrikethroughWatermark*>(&mark)) {
        j["color"] = colorToJson(strike->color());
        j["strokeThickness"] = strike->strokeThickness();
        j["lineDash"] = strike->lineDash();
    } else if (const auto* pixellate = dynamic_cast<const OVPixellateWatermark*>(&mark)) {
        j["intensity"] = pixellate->intensity();
    }
    return j;
}

json presetToJson(const OVPreset& preset, bool withPictures) {
    json marks = json::array();
    for (const auto& mark : preset.watermarks())
        marks.push_back(watermarkToJson(*mark, withPictures));
    return {
        {"format", kPresetJsonFormat},
        {"version", kPresetJsonVersion},
        {"name", preset.name()},
        {"uuid", preset.uuid().uuidString()},
        {"export",
         {{"resize", preset.shouldResize()},
          {"constraint", enumToJson(preset.resizeConstraint(), kConstraintNames)},
          {"method", enumToJson(preset.resizeMethod(), kMethodNames)},
          {"value", preset.resizeValue()},
          {"stripMetadata", preset.shouldStripMetadata()}}},
        {"watermarks", marks},
    };
}

ImportedPreset presetFromJson(const json& value) {
    Fields f(value, "");
    const auto format = f.string("format");
    if (format != std::string(kPresetJsonFormat))
        throw usageError("not a preset file: \"format\" is not \"inkstead-preset\"",
                         "make one with `inkstead presets export P FILE.json`");
    const auto version = f.number("version", 0, 1e9);
    if (!version || *version != kPresetJsonVersion)
        throw usageError(
            "unsupported preset JSON version" +
                (version ? " " + std::to_string(static_cast<long long>(*version)) : std::string()),
            "this inkstead reads version 1");

    ImportedPreset result;
    auto preset = std::make_shared<OVPreset>();
    const auto name = f.string("name");
    if (!name || name->empty())
        throw Fields::error("name", "a preset needs a name");
    preset->setName(*name);
    preset->setUuid(f.uuid("uuid").value_or(ov::UUID::random()));
    if (f.has("export")) {
        Fields settings(f.at("export"), "export");
        readExportSettings(*preset, settings);
        settings.finish();
    }
    std::vector<OVWatermarkPtr> marks;
    if (f.has("watermarks")) {
        const json& list = f.at("watermarks");
        if (!list.is_array())
            throw Fields::error("watermarks", "expected an array");
        for (std::size_t i = 0; i < list.size(); ++i)
            marks.push_back(
                readWatermark(list[i], "watermarks[" + std::to_string(i) + "]", result));
    }
    f.finish();
    preset->setWatermarks(std::move(marks));
    preset->setShouldSave(false);
    result.preset = std::move(preset);
    return result;
}

void storePictures(ImportedPreset& imported) {
    std::vector<std::shared_ptr<OVImageWatermark>> written;
    for (std::size_t i = 0; i < imported.pictures.size(); ++i) {
        auto& [mark, picture] = imported.pictures[i];
        if (!mark->setImage(picture)) {
            for (const auto& done : written)
                done->removeImage();
            mark->removeImage();
            throw CliError(kExitSomeFailed, "cannot write the picture of an image watermark to " +
                                                mark->imageURL().string());
        }
        written.push_back(mark);
        // setImage() fits the mark to the picture; the recorded geometry wins. The record was
        // read once already, so this cannot fail.
        const ov::UUID uuid = mark->uuid();
        Fields f(imported.pictureRecords[i], "");
        readBase(*mark, f);
        mark->setUuid(uuid);
    }
}

} // namespace cli
