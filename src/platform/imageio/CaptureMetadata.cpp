#include "inkstead/platform/imageio/CaptureMetadata.h"

#include "inkstead/platform/log/DecimalText.h"

#include <cmath>

namespace ov {

namespace {

const Properties* dictionaryOf(const Properties& properties, std::string_view key) {
    return properties.dictionary(key);
}

std::string text(const Properties* dictionary, std::string_view key) {
    if (!dictionary)
        return {};
    if (auto value = dictionary->string(key)) {
        // Cameras pad fixed-size fields with spaces.
        while (!value->empty() && (value->back() == ' ' || value->back() == '\0'))
            value->pop_back();
        return *value;
    }
    return {};
}

std::optional<double> number(const Properties* dictionary, std::string_view key) {
    if (!dictionary)
        return std::nullopt;
    if (auto value = dictionary->number(key); value && std::isfinite(*value) && *value > 0)
        return value;
    // A list of numbers (ISO ratings may hold several): the first.
    if (const auto* entry = dictionary->entry(key)) {
        double first = 0;
        if (!entry->encoding.empty() && std::sscanf(entry->encoding.c_str(), "%lf", &first) == 1 &&
            std::isfinite(first) && first > 0)
            return first;
    }
    return std::nullopt;
}

std::string exposureText(double seconds) {
    if (seconds >= 1 || seconds <= 0)
        return decimalText(seconds, 1);
    const double denominator = 1 / seconds;
    // 1/3 s and 0.3 s are both common; whole fractions read as photographers write them.
    if (std::fabs(denominator - std::round(denominator)) < 0.05 * denominator)
        return "1/" + decimalText(std::round(denominator), 0);
    return decimalText(seconds, 2);
}

std::string cameraText(std::string make, const std::string& model) {
    if (model.empty())
        return make;
    if (make.empty() || model.compare(0, make.size(), make) == 0)
        return model;
    return make + " " + model;
}

} // namespace

std::optional<std::tm> parseExifDate(std::string_view value) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::string text(value.substr(0, 64));
    for (char& c : text)
        if (c == '-' || c == 'T')
            c = (c == 'T') ? ' ' : ':';
    const int read = std::sscanf(text.c_str(), "%4d:%2d:%2d %2d:%2d:%2d", &year, &month, &day,
                                 &hour, &minute, &second);
    if (read < 3 || year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60)
        return std::nullopt;
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    date.tm_hour = hour;
    date.tm_min = minute;
    date.tm_sec = second;
    date.tm_isdst = -1;
    // Fills the day of the week and of the year, which formats may ask for.
    std::tm normalised = date;
    if (std::mktime(&normalised) != -1 && normalised.tm_mday == day) {
        date.tm_wday = normalised.tm_wday;
        date.tm_yday = normalised.tm_yday;
        return date;
    }
    return std::nullopt;
}

CaptureMetadata captureMetadata(const Properties& properties) {
    const Properties* tiff = dictionaryOf(properties, kOVPropertyTIFFDictionary);
    const Properties* exif = dictionaryOf(properties, kOVPropertyExifDictionary);
    CaptureMetadata metadata;
    for (const auto& [dictionary, key] :
         {std::pair{exif, "DateTimeOriginal"}, {exif, "DateTimeDigitized"}, {tiff, "DateTime"}}) {
        if ((metadata.captureDate = parseExifDate(text(dictionary, key))))
            break;
    }
    metadata.camera = cameraText(text(tiff, "Make"), text(tiff, "Model"));
    metadata.lens = text(exif, "LensModel");
    if (metadata.lens.empty())
        if (const auto* aux = dictionaryOf(properties, kOVPropertyExifAuxDictionary))
            metadata.lens = text(aux, "Exif.Photo.LensModel");
    for (const char* key : {"ISOSpeedRatings", "PhotographicSensitivity", "ISOSpeed"})
        if (const auto iso = number(exif, key); iso && metadata.iso.empty())
            metadata.iso = decimalText(*iso, 0);
    if (const auto time = number(exif, "ExposureTime"))
        metadata.exposure = exposureText(*time);
    if (const auto f = number(exif, "FNumber"))
        metadata.aperture = "f/" + decimalText(*f, 1);
    if (const auto focal = number(exif, "FocalLength"))
        metadata.focal = decimalText(*focal, 1) + "mm";
    metadata.artist = text(tiff, "Artist");
    metadata.copyright = text(tiff, "Copyright");
    return metadata;
}

} // namespace ov
