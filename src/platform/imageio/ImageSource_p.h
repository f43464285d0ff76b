#pragma once

#include "inkstead/platform/imageio/ImageSource.h"

#include <vips/vips8>

#include <string>
#include <vector>

namespace ov {

struct ImageSource::Impl {
    std::string type;
    std::filesystem::path path; ///< set for a source on a file
    std::vector<uint8_t> bytes; ///< set for a source on bytes
    [[nodiscard]] bool isFile() const { return !path.empty(); }
};

} // namespace ov

namespace ov::imageio {

/// The source's first image as a libvips pipeline: decoded upright at exactly width × height
/// (shrinking in the decoder, stretched when the aspect differs), 8-bit sRGB with 3 or 4 bands.
/// Throws vips::VError when the source cannot be opened.
vips::VImage orientedPicture(const ImageSource& source, int width, int height);

/// The same at 16 bits a sample (RGB, 3 or 4 bands) for a source that stores 16 bits; a null
/// image for any other source. Throws vips::VError when the source cannot be opened.
vips::VImage orientedDeepPicture(const ImageSource& source, int width, int height);

} // namespace ov::imageio
