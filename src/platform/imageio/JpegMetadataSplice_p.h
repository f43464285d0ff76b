#pragma once

// Private to the image I/O folder: metadata written into a JPEG as the encoder streams it out,
// so that the file is written once, front to back, and never whole in memory.

#include "inkstead/platform/imageio/Properties.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace ov::imageio {

/// The marker segments (EXIF, XMP, IPTC) that carry the metadata of `properties` in a JPEG file,
/// laid out as Exiv2 writes them; empty when there is none to write, nothing when Exiv2 refuses
/// it (an XMP packet too large for a segment, say).
std::optional<std::vector<uint8_t>> jpegMetadataSegments(const Properties& properties);

/// The APP2 segments that carry an ICC profile in a JPEG file (the profile cut into chunks that
/// fit a segment); empty for an empty profile or one too large for 255 chunks.
std::vector<uint8_t> jpegProfileSegments(std::span<const uint8_t> profile);

/// Passes an encoder's JPEG stream on, with `segments` put in right after the start of image
/// and the JFIF segment (where readers look for EXIF first).
class JpegSegmentSplicer {
public:
    using Sink = std::function<bool(std::span<const uint8_t>)>;
    JpegSegmentSplicer(std::vector<uint8_t> segments, Sink sink);

    /// False when the sink refuses the bytes or the stream is no JPEG.
    bool write(std::span<const uint8_t> bytes);
    /// False when the stream ended before its first segment was through.
    [[nodiscard]] bool finished() const;

private:
    bool splice();

    std::vector<uint8_t> segments_;
    std::vector<uint8_t> head_; ///< the stream until the place of the segments is known
    bool spliced_ = false;
    Sink sink_;
};

} // namespace ov::imageio
