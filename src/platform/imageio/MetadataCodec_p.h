#pragma once

// Private to the image I/O folder: moves metadata between Exiv2 and the property dictionary.

#include "inkstead/platform/imageio/Properties.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace ov::imageio {

/// Starts Exiv2's XMP toolkit once, with a lock, so that several threads may parse at once, and
/// silences Exiv2's warnings about damaged files (a damaged file simply has less metadata).
void ensureExiv2();

/// Reads EXIF (IFD1, the embedded preview, excepted), IPTC and the XMP packet of an encoded
/// image into `properties`. `exifBlob`/`xmpBlob` are what the decoder found, used when Exiv2 does
/// not know the container. Returns false when nothing could be read (not an error).
bool readMetadata(const std::filesystem::path& path, const std::vector<uint8_t>* bytes,
                  const std::vector<uint8_t>& exifBlob, const std::vector<uint8_t>& xmpBlob,
                  Properties& properties);

/// Writes the EXIF, IPTC and XMP of `properties` into the encoded image `data`, giving the
/// result in `encoded`. `releaseInput` is called as soon as `data` is no longer read. False when
/// the container cannot carry metadata or the write fails.
bool writeMetadata(const Properties& properties, const uint8_t* data, std::size_t size,
                   const std::function<void()>& releaseInput, std::vector<uint8_t>& encoded);

/// The EXIF of `properties` as a TIFF-structured block (for encoders that embed it themselves).
std::vector<uint8_t> encodeExif(const Properties& properties);

} // namespace ov::imageio
