#pragma once

// Private to the image I/O folder: EXIF and XMP in a JPEG XL file, as the boxes of its ISO
// media container (the encoder writes only the code stream, with the colour profile inside).

#include <cstdint>
#include <span>
#include <vector>

namespace ov::imageio {

/// `encoded` (a bare JPEG XL code stream, or a container) as a container that also holds an
/// "Exif" box with `exif` (a TIFF structure, with or without the "Exif\0\0" marker) and an
/// "xml " box with `xmp`, each only when not empty and not there already. Empty when `encoded`
/// is not JPEG XL.
std::vector<uint8_t> jxlWithMetadata(std::span<const uint8_t> encoded,
                                     std::span<const uint8_t> exif, std::span<const uint8_t> xmp);

} // namespace ov::imageio
