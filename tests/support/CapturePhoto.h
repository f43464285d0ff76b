#pragma once

// A generated photograph with the capture facts a camera records (header-only, for test
// executables that link libvips and Exiv2).

#include "support/GeneratedPhotos.h"

#include <filesystem>
#include <map>
#include <string>

namespace ov::test {

/// EXIF keys ("Exif.Image.Model") with their values as Exiv2 reads them from text.
using ExifValues = std::map<std::string, std::string>;

/// The capture facts of a typical camera photograph.
inline ExifValues typicalCaptureExif() {
    return {{"Exif.Image.Make", "Maker"},
            {"Exif.Image.Model", "Body II"},
            {"Exif.Image.Artist", "Ada Lens"},
            {"Exif.Image.Copyright", "(c) Ada Lens"},
            {"Exif.Photo.DateTimeOriginal", "2024:05:01 10:20:30"},
            {"Exif.Photo.LensModel", "35mm f/2"},
            {"Exif.Photo.ISOSpeedRatings", "400"},
            {"Exif.Photo.ExposureTime", "1/250"},
            {"Exif.Photo.FNumber", "28/10"},
            {"Exif.Photo.FocalLength", "35/1"}};
}

/// A JPEG of width × height pixels carrying exactly `exif`.
inline void writeCapturePhoto(const std::filesystem::path& path, const ExifValues& exif,
                              int width = 120, int height = 80) {
    uprightPicture(width, height).write_to_file((path.string() + "[Q=90,strip]").c_str());
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    Exiv2::ExifData data;
    for (const auto& [key, value] : exif)
        data[key].setValue(value);
    image->setExifData(data);
    image->writeMetadata();
}

} // namespace ov::test
