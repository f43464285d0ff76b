#pragma once

// The benchmarks' photograph: a 24-megapixel JPEG made once per run in a temporary folder that
// goes when the program ends (header-only; link libvips).

#include "inkstead/platform/imageio/ImageSource.h"

#include <vips/vips8>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace bench {

inline constexpr int kPhotoWidth = 6000;
inline constexpr int kPhotoHeight = 4000;

// Removes the generated photograph's folder when the program ends.
struct TemporaryFolder {
    std::filesystem::path path;
    ~TemporaryFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

// Photograph-like: gradients with noise, so that it does not compress to nothing.
inline const std::filesystem::path& photoPath() {
    static TemporaryFolder folder{std::filesystem::temp_directory_path() /
                                  ("inkstead-bench-" + std::to_string(::getpid()))};
    static const std::filesystem::path path = [] {
        // Starts libvips with the library's policy, so both sides run under the same settings.
        ov::ImageSource::typeOfFile("/");
        const auto& dir = folder.path;
        std::filesystem::create_directories(dir);
        auto xy = vips::VImage::xyz(kPhotoWidth, kPhotoHeight);
        auto noise = vips::VImage::gaussnoise(kPhotoWidth, kPhotoHeight,
                                              vips::VImage::option()->set("sigma", 12.0));
        auto red = xy[0] * (255.0 / kPhotoWidth) + noise;
        auto green = xy[1] * (255.0 / kPhotoHeight) + noise;
        auto blue = (xy[0] + xy[1]) * (127.0 / (kPhotoWidth + kPhotoHeight)) + 60 + noise;
        auto photo = red.bandjoin(green).bandjoin(blue).cast(VIPS_FORMAT_UCHAR);
        auto file = dir / "photo.jpg";
        photo.copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
            .write_to_file((file.string() + "[Q=90]").c_str());
        return file;
    }();
    return path;
}

} // namespace bench
