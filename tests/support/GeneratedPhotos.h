#pragma once

// Generated test photographs (header-only: include from test executables that link libvips
// and Exiv2). The picture is a colour gradient with a dark mark near the top-left corner, so
// that any wrong rotation or mirror shows.

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop
#include <vips/vips8>

#include <filesystem>
#include <string>
#include <vector>

namespace ov::test {

/// The upright picture: red grows to the right, green grows downwards, blue is constant; a
/// near-black rectangle covers x in [w/8, w/4), y in [h/8, h/4) (y downwards, top row 0).
inline vips::VImage uprightPicture(int width, int height) {
    auto xy = vips::VImage::xyz(width, height);
    auto red = xy[0] * (255.0 / std::max(1, width - 1));
    auto green = xy[1] * (255.0 / std::max(1, height - 1));
    auto blue = vips::VImage::black(width, height) + 90;
    auto picture = red.bandjoin(green).bandjoin(blue).cast(VIPS_FORMAT_UCHAR);
    auto mark =
        vips::VImage::black(width / 8, height / 8, vips::VImage::option()->set("bands", 3)) + 5;
    picture = picture.insert(mark.cast(VIPS_FORMAT_UCHAR), width / 8, height / 8);
    return picture.copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

/// The stored pixels that a viewer honouring orientation `orientation` shows as `upright`.
inline vips::VImage storedForOrientation(const vips::VImage& upright, int orientation) {
    switch (orientation) {
    case 2:
        return upright.fliphor();
    case 3:
        return upright.rot180();
    case 4:
        return upright.flipver();
    case 5:
        return upright.rot90().fliphor();
    case 6:
        return upright.rot270();
    case 7:
        return upright.rot90().flipver();
    case 8:
        return upright.rot90();
    default:
        return upright;
    }
}

/// Writes the EXIF orientation tag (and any extra ASCII tags) into an encoded file.
inline void writeOrientationTag(const std::filesystem::path& path, int orientation) {
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    auto exif = image->exifData();
    exif["Exif.Image.Orientation"] = static_cast<uint16_t>(orientation);
    image->setExifData(exif);
    image->writeMetadata();
}

/// Saves a photograph whose upright picture is `width` × `height`, stored with `orientation`
/// (0: no tag). The suffix of `path` picks the format.
inline void writeOrientedPhoto(const std::filesystem::path& path, int width, int height,
                               int orientation, const char* options = "[strip]") {
    auto stored = storedForOrientation(uprightPicture(width, height), orientation);
    stored.write_to_file((path.string() + options).c_str());
    if (orientation != 0) {
        writeOrientationTag(path, orientation);
    }
}

/// A file of writeOddFormats(): its name in the folder and whether it has an alpha channel.
struct OddFormat {
    std::string name;
    bool alpha;
};

/// Saves uprightPicture(width, height) in the formats and layouts other than 8-bit RGB: CMYK
/// JPEG, grey, 16-bit and palette PNG, TIFF, WebP. The pictures with alpha have alpha 200.
inline std::vector<OddFormat> writeOddFormats(const std::filesystem::path& folder, int width,
                                              int height) {
    const auto picture = uprightPicture(width, height);
    const auto withAlpha = picture.bandjoin_const({200});
    const auto at = [&](const char* name) { return (folder / name).string(); };
    picture.colourspace(VIPS_INTERPRETATION_CMYK).write_to_file(at("cmyk.jpg").c_str());
    picture.colourspace(VIPS_INTERPRETATION_B_W).write_to_file(at("gray.png").c_str());
    picture.colourspace(VIPS_INTERPRETATION_RGB16).write_to_file(at("deep.png").c_str());
    picture.write_to_file(at("flat.tif").c_str());
    withAlpha.write_to_file(at("alpha.webp").c_str());
    withAlpha.write_to_file((at("palette.png") + "[palette,bitdepth=8]").c_str());
    return {{"cmyk.jpg", false}, {"gray.png", false},  {"deep.png", false},
            {"flat.tif", false}, {"alpha.webp", true}, {"palette.png", true}};
}

} // namespace ov::test
