#pragma once

#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/imageio/Properties.h"
#include "inkstead/platform/imageio/StreamedPicture.h"
#include "inkstead/platform/log/Result.h"

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace ov {

/// Writes one image to a new file in a given format, with a property dictionary.
///
/// The pixels are encoded by libvips; EXIF, IPTC, XMP and the ICC profile of the dictionary
/// are written into the encoded file. The file appears only when complete (written beside its
/// name, then moved into place) and never replaces an existing file: when the name is taken,
/// finalize() fails with `std::errc::file_exists` and the existing file is untouched.
class ImageDestination {
public:
    /// A destination for one image of `type` ("public.jpeg", "public.png", "public.tiff",
    /// "org.webmproject.webp", "public.heic", "public.avif", "com.compuserve.gif",
    /// "public.jxl"); null for a type the library cannot write.
    static std::shared_ptr<ImageDestination> createWithURL(const std::filesystem::path& path,
                                                           const std::string& type);
    /// Whether `type` can be written: it is one of the types above and this build of the image
    /// library has a working encoder for it.
    static bool canWriteType(const std::string& type);
    /// Whether `type` is one of the types above, whether or not this build can encode it.
    static bool isKnownType(const std::string& type);
    /// The usual file name extension of `type`, without the dot ("jpg"); empty for an unknown
    /// type.
    static std::string filenameExtensionForType(const std::string& type);
    /// Whether pictures written as `type` keep the 16 bits a sample of a source that has them
    /// (PNG and TIFF); other types get 8.
    static bool keepsSixteenBits(const std::string& type);

    ~ImageDestination();
    ImageDestination(const ImageDestination&) = delete;
    ImageDestination& operator=(const ImageDestination&) = delete;

    /// Quality of lossy formats (JPEG, WebP, HEIF) from 0 (smallest) to 1 (best); 0.9 unless
    /// set.
    void setLossyCompressionQuality(double quality);
    [[nodiscard]] double lossyCompressionQuality() const;
    /// JPEG only: true (default) halves the colour resolution both ways (4:2:0); false keeps it
    /// whole (4:4:4).
    void setChromaSubsampling(bool subsample);

    /// The image to write and its properties (may be null: no metadata). "DPIWidth" and
    /// "DPIHeight" set the stated resolution (72 when absent); "Orientation" is written as
    /// given, so leave it out for upright pixels. A second call replaces the first.
    void addImage(ImagePtr image, const Properties* properties);
    /// The same for a picture streamed from its source into the encoder, so that it is never
    /// whole in memory: memory grows with the width of the picture and the size of its boxes,
    /// not its area. The source's pixels with alpha keep it in formats that store it.
    void addPicture(StreamedPicture picture, const Properties* properties);

    /// Encodes and writes the file. Fails when there is no image, encoding fails, the name is
    /// taken or the disk refuses the write; no partial file is left behind.
    [[nodiscard]] Result<void> finalize();
    /// The code of the last finalize()'s failure; empty after a success.
    [[nodiscard]] std::error_code error() const;
    /// Whether the last finalize() failed because the source of a streamed picture could not be
    /// decoded (damaged, truncated or vanished).
    [[nodiscard]] bool failedDecoding() const;
    /// The encoded bytes written by finalize() (for tests and callers that also keep them).
    [[nodiscard]] std::size_t encodedSize() const;

private:
    struct Impl;
    explicit ImageDestination(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

using ImageDestinationPtr = std::shared_ptr<ImageDestination>;

/// Encodes an image in a format without writing a file (the same encoding as ImageDestination).
/// Empty on failure.
std::vector<uint8_t> encodeImage(const Image& image, const std::string& type,
                                 const Properties* properties, double quality = 0.9,
                                 bool chromaSubsampling = true);

} // namespace ov
