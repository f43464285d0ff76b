#include "inkstead/presets/OVPresetJson.h"

#include "inkstead/platform/gfx/VectorPicture.h"

#include "inkstead/geometry/OVColorText.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/presets/OVBase64_p.h"
#include "inkstead/storage/OVStorage.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

using nlohmann::json;

namespace {

// Geometry beyond this many units is no photograph's; it only comes from damaged files.
constexpr double kMaxUnits = 1e7;

const char* const kConstraintNames[] = {"width", "height", "longest-side"};
const char* const kMethodNames[] = {"pixels", "percentage"};
const char* const kMarginUnitNames[] = {"shorter-side", "pixels"};
const char* const kSizeRuleNames[] = {"unchanged", "width", "longer-side", "shorter-side",
                                      "pixels"};

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
    if (OVColorIsOnByteGrid(*color))
        return OVColorString(*color);
    return json::array({color->red, color->green, color->blue, color->alpha});
}

json pictureToJson(const ov::ImagePtr& picture) {
    if (!picture)
        return nullptr;
    // A vector picture travels as its SVG document, to stay sharp at any size.
    if (const auto& vector = picture->vectorSource())
        return json(ov::detail::encodeBase64(vector->data()));
    const auto png = ov::encodeImage(*picture, "public.png", nullptr);
    return png.empty() ? json(nullptr) : json(ov::detail::encodeBase64(png));
}

// A malformed document; caught at the codec's border and returned as an error.
struct JsonError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

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
        if (v.is_string()) {
            if (auto parsed = OVColorFromString(v.get<std::string>()))
                return std::optional<ov::Color>{*parsed};
        } else if (v.is_array() && v.size() == 4) {
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
    std::optional<std::uint64_t> enumeration(const std::string& key,
                                             const std::vector<std::string_view>& names) {
        if (!has(key))
            return std::nullopt;
        const json& v = at(key);
        if (v.is_string())
            for (std::size_t i = 0; i < names.size(); ++i)
                if (v.get<std::string>() == names[i])
                    return i;
        if (v.is_number_unsigned())
            return v.get<std::uint64_t>();
        std::string choices;
        for (const auto name : names)
            choices += (choices.empty() ? "" : ", ") + std::string(name);
        throw error(pathOf(key), "expected one of " + choices);
    }
    template <std::size_t N>
    std::optional<std::uint64_t> enumeration(const std::string& key,
                                             const char* const (&names)[N]) {
        return enumeration(key, std::vector<std::string_view>(names, names + N));
    }

    /// Rejects fields no reader asked for (a misspelt name would otherwise be ignored).
    void finish() const {
        for (const auto& [key, v] : value_.items())
            if (!used_.contains(key))
                throw error(pathOf(key), "unknown field");
    }

    static JsonError error(const std::string& path, const std::string& message) {
        return JsonError((path.empty() ? "" : path + ": ") + message);
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

std::optional<OVPlacement> readPlacement(Fields& f) {
    if (!f.has("placement"))
        return std::nullopt;
    Fields p(f.at("placement"), f.pathOf("placement"));
    OVPlacement placement;
    if (const auto anchor = p.string("anchor")) {
        const auto named = OVPlacementAnchorNamed(*anchor);
        if (!named)
            throw Fields::error(p.pathOf("anchor"), "expected an anchor such as bottom-right");
        placement.anchor = *named;
    }
    if (auto v = p.enumeration("marginUnit", kMarginUnitNames); v && *v < 2)
        placement.marginUnit = static_cast<OVPlacementMarginUnit>(*v);
    if (auto v = p.number("margin", 0))
        placement.margin = *v;
    if (auto v = p.enumeration("sizeRule", kSizeRuleNames); v && *v < 5)
        placement.sizeRule = static_cast<OVPlacementSizeRule>(*v);
    if (auto v = p.number("size", 0))
        placement.size = *v;
    p.finish();
    if (!placement.isValid())
        throw Fields::error(f.pathOf("placement"), "a size rule needs a size above 0");
    return placement;
}

// The fields of the base record, in the order the setters must see them: the size before the
// cap, so that a recorded size above its cap is kept as recorded.
ov::ImagePtr readPicture(Fields& f, const std::string& key) {
    const auto text = f.string(key);
    if (!text)
        return nullptr;
    const auto bytes = ov::detail::decodeBase64(*text);
    if (!bytes)
        throw Fields::error(f.pathOf(key), "expected base64 data");
    auto picture = OVPictureWithData(*bytes);
    if (!picture)
        throw Fields::error(f.pathOf(key), picture.error().message);
    return picture.value();
}

// One property of a kind, read by its type; no value when the field is absent. Pictures are
// only decoded here: they are set when the preset's pictures are stored.
std::optional<OVPropertyValue> readProperty(const OVWatermarkProperty& property, Fields& f) {
    const std::string key(property.key);
    switch (property.type) {
    case OVPropertyType::Bool:
        if (auto v = f.boolean(key))
            return *v;
        return std::nullopt;
    case OVPropertyType::Number:
        if (auto v = f.number(key, property.minimum, property.maximum))
            return *v;
        return std::nullopt;
    case OVPropertyType::Text:
        if (f.isNull(key))
            return std::nullopt;
        if (auto v = f.string(key))
            return *v;
        return std::nullopt;
    case OVPropertyType::FontName:
        if (f.isNull(key))
            return std::string();
        if (f.has(key)) {
            if (f.at(key).is_string())
                return f.string(key).value();
            // {"name": face, "size": ignored}: only the face counts.
            Fields font(f.at(key), f.pathOf(key));
            const auto name = font.string("name");
            (void)font.number("size", 0, 100000);
            font.finish();
            return name.value_or("");
        }
        return std::nullopt;
    case OVPropertyType::Color:
        if (auto v = f.color(key))
            return *v;
        return std::nullopt;
    case OVPropertyType::Choice:
        if (auto v = f.enumeration(key, property.choices))
            return static_cast<double>(*v);
        return std::nullopt;
    case OVPropertyType::Point:
        if (auto v = f.point(key))
            return *v;
        return std::nullopt;
    case OVPropertyType::Size:
        if (auto v = f.size(key, property.minimum))
            return *v;
        return std::nullopt;
    case OVPropertyType::Picture:
        if (auto v = readPicture(f, key))
            return v;
        return std::nullopt;
    }
    return std::nullopt;
}

void readBase(OVWatermark& mark, Fields& f) {
    if (auto v = f.uuid("uuid"))
        mark.setUuid(*v);
    mark.setHasMaxSize(false);
    for (const auto& property : OVWatermarkBaseProperties())
        if (auto v = readProperty(property, f))
            property.set(mark, *v);
    // Stored as it is; it acts when the watermark is next placed on an image.
    mark.storePlacement(readPlacement(f));
}

json propertyToJson(const OVWatermarkProperty& property, const OVWatermark& mark,
                    bool withPictures) {
    const OVPropertyValue value = property.get(mark);
    switch (property.type) {
    case OVPropertyType::Bool:
        return std::get<bool>(value);
    case OVPropertyType::Number:
        return std::get<double>(value);
    case OVPropertyType::Text:
        return std::get<std::string>(value);
    case OVPropertyType::FontName: {
        const auto& name = std::get<std::string>(value);
        return name.empty() ? json(nullptr) : json{{"name", name}};
    }
    case OVPropertyType::Color:
        return colorToJson(std::get<std::optional<ov::Color>>(value));
    case OVPropertyType::Choice: {
        const auto index = static_cast<std::uint64_t>(std::get<double>(value));
        if (index < property.choices.size())
            return std::string(property.choices[index]);
        return index;
    }
    case OVPropertyType::Point:
        return pointToJson(std::get<ov::Point>(value));
    case OVPropertyType::Size:
        return sizeToJson(std::get<ov::Size>(value));
    case OVPropertyType::Picture:
        return withPictures ? pictureToJson(std::get<ov::ImagePtr>(value)) : json(nullptr);
    }
    return nullptr;
}

// Kind fields first, then the base record, then the kind fields that rebuild the geometry: a
// text's setters re-measure its frame and an arrow's points rebuild its rectangle, and the
// recorded values must win.
OVWatermarkPtr readWatermark(const json& value, const std::string& path,
                             std::vector<std::pair<OVWatermarkPtr, ov::ImagePtr>>& pictures) {
    Fields f(value, path);
    std::vector<std::string_view> names;
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds())
        names.push_back(kind->name);
    const auto type = f.enumeration("kind", names);
    if (!type)
        throw Fields::error(f.pathOf("kind"), "missing");
    const OVWatermarkKind* kind = OVWatermarkKindOfType(static_cast<OVWatermarkType>(*type));
    if (!kind)
        throw Fields::error(f.pathOf("kind"), "unknown kind");
    auto mark = kind->make();
    for (const auto& property : kind->properties) {
        if (property.setsGeometry)
            continue;
        auto v = readProperty(property, f);
        if (!v)
            continue;
        if (property.type == OVPropertyType::Picture)
            pictures.emplace_back(mark, std::get<ov::ImagePtr>(*v));
        else
            property.set(*mark, *v);
    }
    readBase(*mark, f);
    for (const auto& property : kind->properties)
        if (property.setsGeometry)
            if (auto v = readProperty(property, f))
                property.set(*mark, *v);
    f.finish();
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
    if (auto v = f.enumeration("metadata", kOVMetadataPolicyNames))
        preset.setMetadataPolicy(static_cast<OVMetadataPolicy>(*v));
    if (auto v = f.string("artist"))
        preset.setMetadataArtist(*v);
    if (auto v = f.string("copyright"))
        preset.setMetadataCopyright(*v);
    if (auto v = f.enumeration("format", kOVOutputFormatNames))
        preset.setOutputFormat(static_cast<OVOutputFormat>(*v));
    if (auto v = f.number("quality", 0, 1))
        preset.setOutputQuality(*v);
}

// The settings that older documents do not have are written only when they are set, so that
// such documents read and write back unchanged.
json exportSettingsToJson(const OVPreset& preset) {
    json j = {{"resize", preset.shouldResize()},
              {"constraint", enumToJson(preset.resizeConstraint(), kConstraintNames)},
              {"method", enumToJson(preset.resizeMethod(), kMethodNames)},
              {"value", preset.resizeValue()},
              {"stripMetadata", preset.shouldStripMetadata()}};
    if (preset.metadataPolicy() > OVMetadataPolicyStripLocation)
        j["metadata"] = enumToJson(preset.metadataPolicy(), kOVMetadataPolicyNames);
    if (!preset.metadataArtist().empty())
        j["artist"] = preset.metadataArtist();
    if (!preset.metadataCopyright().empty())
        j["copyright"] = preset.metadataCopyright();
    if (preset.outputFormat() != OVOutputFormatSource)
        j["format"] = enumToJson(preset.outputFormat(), kOVOutputFormatNames);
    if (preset.outputQuality() > 0)
        j["quality"] = preset.outputQuality();
    return j;
}

json watermarkToJson(const OVWatermark& mark, bool withPictures) {
    const OVWatermarkKind* kind = OVWatermarkKindOf(mark);
    // A watermark of another class than its type code's kind (from a damaged presets file) has
    // none of the kind's properties: only its base record is written.
    const OVWatermarkKind* ownKind = OVWatermarkKindOfInstance(mark);
    json j;
    j["kind"] =
        kind ? json(std::string(kind->name)) : json(static_cast<std::uint64_t>(mark.type()));
    j["uuid"] = mark.uuid().uuidString();
    for (const auto& property : OVWatermarkBaseProperties())
        j[std::string(property.key)] = propertyToJson(property, mark, false);
    if (const auto placed = mark.placement())
        j["placement"] = {
            {"anchor", std::string(OVPlacementAnchorName(placed->anchor))},
            {"marginUnit",
             enumToJson(static_cast<std::uint64_t>(placed->marginUnit), kMarginUnitNames)},
            {"margin", placed->margin},
            {"sizeRule", enumToJson(static_cast<std::uint64_t>(placed->sizeRule), kSizeRuleNames)},
            {"size", placed->size},
        };
    if (ownKind)
        for (const auto& property : ownKind->properties) {
            // Settings readers of version 1 do not know appear only when they are in use.
            if (property.additional && property.get(mark) == property.defaultValue)
                continue;
            j[std::string(property.key)] = propertyToJson(property, mark, withPictures);
        }
    return j;
}

// The version a document needs: 2 when a watermark uses an additional setting.
int versionNeeded(const OVPreset& preset) {
    for (const auto& mark : preset.watermarks())
        if (const OVWatermarkKind* kind = OVWatermarkKindOfInstance(*mark))
            for (const auto& property : kind->properties)
                if (property.additional && property.get(*mark) != property.defaultValue)
                    return 2;
    return 1;
}

json presetToJson(const OVPreset& preset, bool withPictures) {
    json marks = json::array();
    for (const auto& mark : preset.watermarks())
        marks.push_back(watermarkToJson(*mark, withPictures));
    return {
        {"format", kOVPresetJsonFormat},
        {"version", versionNeeded(preset)},
        {"name", preset.name()},
        {"uuid", preset.uuid().uuidString()},
        {"export", exportSettingsToJson(preset)},
        {"watermarks", marks},
    };
}

// Values kept as 32-bit floats (in archives) widen to doubles such as 0.800000011920929; they
// are written as the shortest text that reads back as the same float ("0.8").
void atStoredPrecision(json& value) {
    if (value.is_structured()) {
        for (auto& item : value)
            atStoredPrecision(item);
    } else if (value.is_number_float()) {
        const double wide = value.get<double>();
        const auto narrow = static_cast<float>(wide);
        if (std::isfinite(narrow) && static_cast<double>(narrow) == wide) {
            char text[32];
            const auto end = std::to_chars(text, text + sizeof text, narrow).ptr;
            double shortest = wide;
            std::from_chars(text, end, shortest);
            value = shortest;
        }
    }
}

std::string dumped(json value) {
    atStoredPrecision(value);
    return value.dump(2, ' ', false, json::error_handler_t::replace);
}

ov::Error invalid(std::string message) {
    return ov::makeError(std::errc::invalid_argument, std::move(message));
}

} // namespace

std::string OVPresetJsonString(const OVPreset& preset, bool withPictures) {
    return dumped(presetToJson(preset, withPictures));
}

std::string OVWatermarkJsonString(const OVWatermark& watermark, bool withPictures) {
    return dumped(watermarkToJson(watermark, withPictures));
}

ov::Result<OVImportedPreset> OVPresetFromJson(std::string_view text) {
    if (text.size() > kOVPresetJsonMaxBytes)
        return invalid("the document is too large to be a preset");
    json document;
    try {
        document = json::parse(text);
    } catch (const json::exception& e) {
        return invalid(std::string("not valid JSON (") + e.what() + ")");
    }
    try {
        Fields f(document, "");
        const auto format = f.string("format");
        if (format != std::string(kOVPresetJsonFormat))
            return invalid("not a preset: \"format\" is not \"inkstead-preset\"");
        const auto version = f.number("version", 0, 1e9);
        if (!version || *version != std::floor(*version) || *version < 1 ||
            *version > kOVPresetJsonVersion)
            return ov::makeError(std::errc::not_supported,
                                 "unsupported preset JSON version" +
                                     (version
                                          ? " " + std::to_string(static_cast<long long>(*version))
                                          : std::string()));

        OVImportedPreset result;
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
            for (std::size_t i = 0; i < list.size(); ++i) {
                std::vector<std::pair<OVWatermarkPtr, ov::ImagePtr>> pictures;
                marks.push_back(
                    readWatermark(list[i], "watermarks[" + std::to_string(i) + "]", pictures));
                for (auto& [mark, image] : pictures)
                    result.pictures_.push_back({mark, image, list[i].dump()});
            }
        }
        f.finish();
        preset->setWatermarks(std::move(marks));
        preset->setShouldSave(false);
        result.preset = std::move(preset);
        return result;
    } catch (const JsonError& e) {
        return invalid(e.what());
    } catch (const json::exception& e) {
        return invalid(e.what());
    }
}

ov::Result<void> OVImportedPreset::storePictures(const OVStorageFolder& storage) {
    for (std::size_t i = 0; i < pictures_.size(); ++i) {
        const auto& picture = pictures_[i];
        picture.watermark->attachToStorage(storage);
        const OVWatermarkKind* kind = OVWatermarkKindOfInstance(*picture.watermark);
        const OVWatermarkProperty* property = nullptr;
        if (kind)
            for (const auto& p : kind->properties)
                if (p.type == OVPropertyType::Picture)
                    property = &p;
        if (!property)
            continue;
        property->set(*picture.watermark, picture.image);
        if (const std::error_code stored = picture.watermark->storageError()) {
            for (std::size_t j = 0; j <= i; ++j)
                pictures_[j].watermark->removeImage();
            return ov::Error{stored, "cannot write the picture of an image watermark to the "
                                     "storage: " +
                                         stored.message()};
        }
        // Setting the picture fits the watermark to it; the recorded geometry wins. The record
        // was read once already, so this cannot fail.
        const ov::UUID uuid = picture.watermark->uuid();
        const json record = json::parse(picture.record);
        Fields f(record, "");
        readBase(*picture.watermark, f);
        picture.watermark->setUuid(uuid);
    }
    return {};
}

void OVImportedPreset::removeStoredPictures() {
    for (const auto& picture : pictures_)
        picture.watermark->removeImage();
}

bool OVImportedPreset::makeDistinctFrom(const std::vector<OVPresetPtr>& presets,
                                        const OVStorageFolder& storage) {
    std::set<std::string> used;
    bool presetTaken = false;
    for (const auto& listed : presets) {
        presetTaken = presetTaken || listed->uuid() == preset->uuid();
        for (const auto& mark : listed->watermarks())
            used.insert(mark->uuid().uuidString());
    }
    if (presetTaken)
        preset->setUuid(ov::UUID::random());
    for (const auto& mark : preset->watermarks()) {
        std::error_code error;
        const bool pictureTaken =
            mark->type() == OVWatermarkTypeImage &&
            std::filesystem::exists(storage.imageURLForFilename(mark->uuid().uuidString() + ".png"),
                                    error);
        if (presetTaken || pictureTaken || used.contains(mark->uuid().uuidString()))
            mark->setUuid(ov::UUID::random());
    }
    return presetTaken;
}
