#include "inkstead/watermarks/OVWatermarkKind.h"

#include "inkstead/geometry/OVColorText.h"
#include "inkstead/geometry/OVNumberText.h"
#include "inkstead/platform/files/FileContents.h"
#include "inkstead/platform/gfx/VectorPicture.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>

// Property values and pictures read from what people type and name.

namespace {

// Decodes are asked for at most this size along the longer side, i.e. never scaled down.
constexpr double kFullSize = 1e7;

ov::Error expected(std::string_view text, const std::string& what) {
    return ov::makeError(std::errc::invalid_argument,
                         "invalid value \"" + std::string(text) + "\": expected " + what);
}

ov::Result<ov::ImagePtr> checkedPicture(const ov::ImageSourcePtr& source, const std::string& name) {
    if (source) {
        const auto properties = source->properties();
        if (properties.number(ov::kOVPropertyPixelWidth).value_or(0) *
                properties.number(ov::kOVPropertyPixelHeight).value_or(0) >
            kOVMaxWatermarkPicturePixels)
            return ov::makeError(std::errc::file_too_large,
                                 name + " is too large for a watermark picture (at most 100 "
                                        "megapixels)");
    }
    ov::ImagePtr picture = source ? source->createThumbnail(kFullSize) : nullptr;
    if (!picture)
        return ov::makeError(std::errc::invalid_argument,
                             "cannot read " + name +
                                 " as a picture (PNG, JPEG, TIFF, WebP, HEIF, GIF or SVG)");
    return picture;
}

// Whether the file begins as an SVG document does (reads its first bytes only).
bool startsLikeVectorPicture(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::vector<std::uint8_t> head(4096);
    stream.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, stream.gcount())));
    return ov::VectorPicture::isVectorData(head);
}

} // namespace

ov::Result<ov::ImagePtr> OVPictureWithVectorData(std::vector<std::uint8_t> bytes) {
    const auto vector = ov::VectorPicture::createWithData(std::move(bytes));
    if (!vector)
        return ov::makeError(std::errc::invalid_argument,
                             "cannot read the SVG document (no size, or not valid)");
    const ov::Size size = vector->size();
    const double scale = std::min(1.0, kOVVectorRenditionSide / std::max(size.width, size.height));
    const auto rendition =
        vector->rasterize(std::max(1, static_cast<int>(std::lround(size.width * scale))),
                          std::max(1, static_cast<int>(std::lround(size.height * scale))));
    if (!rendition)
        return ov::makeError(std::errc::invalid_argument, "cannot draw the SVG document");
    return ov::Image::withVectorSource(*rendition, vector);
}

ov::Result<ov::ImagePtr> OVPictureWithContentsOfFile(const std::filesystem::path& file) {
    std::error_code error;
    if (file.empty())
        return ov::makeError(std::errc::invalid_argument, "an image mark needs a picture");
    if (!std::filesystem::is_regular_file(file, error))
        return ov::makeError(std::errc::no_such_file_or_directory,
                             "no picture file at " + file.string());
    if (startsLikeVectorPicture(file)) {
        auto bytes = ov::readFileContents(file);
        if (!bytes)
            return bytes.error();
        return OVPictureWithVectorData(std::move(*bytes));
    }
    return checkedPicture(ov::ImageSource::createWithURL(file), file.string());
}

ov::Result<ov::ImagePtr> OVPictureWithData(std::span<const std::uint8_t> bytes) {
    if (ov::VectorPicture::isVectorData(bytes))
        return OVPictureWithVectorData(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return checkedPicture(
        ov::ImageSource::createWithData(std::vector<std::uint8_t>(bytes.begin(), bytes.end())),
        "the data");
}

ov::Result<OVPropertyValue> OVPropertyValueFromString(const OVWatermarkProperty& property,
                                                      std::string_view text) {
    switch (property.type) {
    case OVPropertyType::Number: {
        const auto value = OVNumberFromString(text);
        if (!value)
            return expected(text, "a number");
        if (*value < property.minimum || *value > property.maximum)
            return expected(text, "a number from " + OVNumberString(property.minimum) + " to " +
                                      OVNumberString(property.maximum));
        return OVPropertyValue(*value);
    }
    case OVPropertyType::Bool: {
        std::string name(OVTrimmedString(text));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name == "true" || name == "yes" || name == "on" || name == "1")
            return OVPropertyValue(true);
        if (name == "false" || name == "no" || name == "off" || name == "0")
            return OVPropertyValue(false);
        return expected(text, "true or false");
    }
    case OVPropertyType::Color:
        if (const auto color = OVColorFromString(text))
            return OVPropertyValue(std::optional<ov::Color>(*color));
        return expected(text, "a colour #RRGGBB or #RRGGBBAA, or none");
    case OVPropertyType::Text:
        if (text.empty())
            return ov::makeError(std::errc::invalid_argument, "a text mark needs its text");
        return OVPropertyValue(std::string(text));
    case OVPropertyType::FontName:
        return OVPropertyValue(std::string(OVTrimmedString(text)));
    case OVPropertyType::Choice: {
        const auto it =
            std::find(property.choices.begin(), property.choices.end(), OVTrimmedString(text));
        if (it != property.choices.end())
            return OVPropertyValue(static_cast<double>(it - property.choices.begin()));
        std::string names;
        for (const auto name : property.choices)
            names += (names.empty() ? "" : " or ") + std::string(name);
        return expected(text, names);
    }
    case OVPropertyType::Picture: {
        auto picture = OVPictureWithContentsOfFile(std::filesystem::path(std::string(text)));
        if (!picture)
            return picture.error();
        return OVPropertyValue(picture.value());
    }
    case OVPropertyType::Point:
    case OVPropertyType::Size:
        break;
    }
    return ov::makeError(std::errc::invalid_argument, "not settable from text");
}

std::string OVPropertyValueString(const OVWatermarkProperty& property,
                                  const OVPropertyValue& value) {
    switch (property.type) {
    case OVPropertyType::Number:
        return OVNumberString(std::get<double>(value));
    case OVPropertyType::Bool:
        return std::get<bool>(value) ? "true" : "false";
    case OVPropertyType::Text:
    case OVPropertyType::FontName:
        return std::get<std::string>(value);
    case OVPropertyType::Color: {
        const auto& color = std::get<std::optional<ov::Color>>(value);
        return color ? OVColorString(*color) : "none";
    }
    case OVPropertyType::Choice: {
        const auto index = static_cast<std::size_t>(std::get<double>(value));
        return index < property.choices.size() ? std::string(property.choices[index])
                                               : OVNumberString(std::get<double>(value));
    }
    case OVPropertyType::Point: {
        const auto p = std::get<ov::Point>(value);
        return OVNumberString(p.x) + "," + OVNumberString(p.y);
    }
    case OVPropertyType::Size: {
        const auto s = std::get<ov::Size>(value);
        return OVNumberString(s.width) + "," + OVNumberString(s.height);
    }
    case OVPropertyType::Picture: {
        const auto& picture = std::get<ov::ImagePtr>(value);
        return picture ? std::to_string(picture->width()) + "x" +
                             std::to_string(picture->height()) + " px"
                       : "none";
    }
    }
    return {};
}
