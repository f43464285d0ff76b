#pragma once

#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/imageio/Properties.h"
#include "inkstead/platform/log/Result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace ov {

/// A handle on one encoded image, in a file or in memory: its type, its property dictionary and
/// oriented, downsampled decodes of its first image. Opening reads nothing but the first bytes;
/// every query decodes what it needs. Thread-safe: queries may run on several threads at once.
class ImageSource {
public:
    /// A source on a file; null when the file cannot be read or holds no image format that the
    /// library reads.
    static std::shared_ptr<ImageSource> createWithURL(const std::filesystem::path& path);
    /// A source on encoded bytes (copied); null when they are not a readable image.
    static std::shared_ptr<ImageSource> createWithData(std::vector<uint8_t> bytes);

    /// The uniform type identifier of a file's format ("public.jpeg", "public.png",
    /// "public.tiff", "org.webmproject.webp", "public.heic", "public.avif",
    /// "com.compuserve.gif"), judged by its contents, not its name; empty when the file is
    /// missing, unreadable or not an image the library reads.
    static std::string typeOfFile(const std::filesystem::path& path);
    /// The same for encoded bytes in memory.
    static std::string typeOfData(const uint8_t* bytes, std::size_t length);

    ~ImageSource();
    ImageSource(const ImageSource&) = delete;
    ImageSource& operator=(const ImageSource&) = delete;

    /// The type identifier of this source (never empty for an open source).
    [[nodiscard]] const std::string& type() const;
    /// The file the source reads, empty for a source on bytes.
    [[nodiscard]] const std::filesystem::path& path() const;

    /// The property dictionary of the first image: stored pixel size ("PixelWidth",
    /// "PixelHeight", before orientation), "Orientation" when tagged, "DPIWidth"/"DPIHeight"
    /// when the file states a resolution, "ColorModel", "Depth", "HasAlpha", the ICC profile,
    /// the XMP packet and the "{TIFF}", "{Exif}", "{GPS}", "{IPTC}", "{ExifAux}" dictionaries.
    /// The embedded preview (IFD1) is not part of it. Empty when the header cannot be read.
    [[nodiscard]] Properties properties() const;

    /// The first image decoded upright (orientation tag applied) and scaled so that its longer
    /// side is `maxPixelSize` pixels, never enlarged; in the native layout. The decoder shrinks
    /// while it decodes, so a large photograph asked for a small size is never held at full
    /// size. Null when the image cannot be decoded (truncated or damaged data included).
    [[nodiscard]] ImagePtr createThumbnail(double maxPixelSize) const;

    /// Decodes the first image upright at exactly width × height pixels (scaled, and stretched
    /// when the aspect differs) straight into `pixels`: rows top to bottom, `bytesPerRow` apart,
    /// native layout. The decode streams in strips, so no other full-size buffer is made.
    /// Fails, with `pixels` partly written, when decoding fails.
    [[nodiscard]] Result<void> decodeOriented(int width, int height, uint8_t* pixels,
                                              std::size_t bytesPerRow) const;

    struct Impl;
    [[nodiscard]] const Impl& impl() const { return *d; } ///< image I/O internal, see _p.h

private:
    explicit ImageSource(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

using ImageSourcePtr = std::shared_ptr<ImageSource>;

} // namespace ov
