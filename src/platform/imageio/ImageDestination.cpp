#include "platform/imageio/ImageDestination.h"

#include "platform/files/AtomicFile.h"
#include "platform/imageio/MetadataCodec_p.h"
#include "platform/imageio/VipsRuntime_p.h"

#include <vips/vips8>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

namespace ov {
namespace {

struct Format {
    std::string_view type;
    std::string_view suffix;
    bool lossy;
    bool alpha;       ///< can store transparency
    bool exiv2Writes; ///< metadata goes in with Exiv2 after encoding; else through the encoder
};

constexpr std::array<Format, 7> kFormats{{
    {"public.jpeg", ".jpg", true, false, true},
    {"public.png", ".png", false, true, true},
    {"public.tiff", ".tif", false, true, true},
    {"org.webmproject.webp", ".webp", true, true, true},
    {"public.heic", ".heic", true, true, false},
    {"public.avif", ".avif", true, true, false},
    {"com.compuserve.gif", ".gif", false, true, false},
}};

const Format* formatForType(std::string_view type) {
    for (const auto& format : kFormats) {
        if (format.type == type) {
            return &format;
        }
    }
    return nullptr;
}

bool isOpaque(const Image& image) {
    for (int y = 0; y < image.height(); ++y) {
        const uint8_t* row = image.data() + static_cast<std::size_t>(y) * image.bytesPerRow();
        for (int x = 0; x < image.width(); ++x) {
            if (row[x * 4 + 3] != 255) {
                return false;
            }
        }
    }
    return true;
}

// The image's pixels as a libvips image of straight R, G, B (A), converted band by band as the
// encoder pulls rows, so no second full-size buffer is made. Without alpha the premultiplied
// values are kept, which is the picture over black. `image` must outlive the result.
vips::VImage straightImage(const Image& image, bool withAlpha) {
    const int stride = static_cast<int>(image.bytesPerRow() / 4);
    auto bgra = vips::VImage::new_from_memory(const_cast<uint8_t*>(image.data()),
                                              image.bytesPerRow() *
                                                  static_cast<std::size_t>(image.height()),
                                              stride, image.height(), 4, VIPS_FORMAT_UCHAR);
    if (stride != image.width()) {
        bgra = bgra.extract_area(0, 0, image.width(), image.height());
    }
    auto rgb = bgra[2].bandjoin(bgra[1]).bandjoin(bgra[0]);
    if (!withAlpha) {
        return rgb.copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    }
    auto rgba = rgb.bandjoin(bgra[3]).copy(
        vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    return (rgba.unpremultiply() + 0.5).cast(VIPS_FORMAT_UCHAR);
}

void setBlob(vips::VImage& image, const char* name, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        return;
    }
    vips_image_set_blob_copy(image.get_image(), name, bytes.data(), bytes.size());
}

} // namespace

std::vector<uint8_t> encodeImage(const Image& image, const std::string& type,
                                 const Properties* properties, double quality,
                                 bool chromaSubsampling) {
    const Format* format = formatForType(type);
    if (format == nullptr || !imageio::ensureVips()) {
        return {};
    }
    try {
        const auto native = image.isNativeLayout() ? nullptr : image.nativeCopy();
        const Image& pixels = native ? *native : image;
        const bool withAlpha = format->alpha && !isOpaque(pixels);
        auto vimage = straightImage(pixels, withAlpha);
        // Resolution: the encoder wants pixels per millimetre.
        const double dpiX =
            properties ? properties->number(kOVPropertyDPIWidth).value_or(72.0) : 72.0;
        const double dpiY =
            properties ? properties->number(kOVPropertyDPIHeight).value_or(dpiX) : 72.0;
        vimage = vimage.copy(vips::VImage::option()
                                 ->set("xres", (dpiX > 0 ? dpiX : 72.0) / 25.4)
                                 ->set("yres", (dpiY > 0 ? dpiY : 72.0) / 25.4));
        if (properties != nullptr) {
            if (const auto icc = properties->bytes(kOVPropertyICCProfile)) {
                setBlob(vimage, VIPS_META_ICC_NAME, *icc);
            }
            if (!format->exiv2Writes) {
                setBlob(vimage, VIPS_META_EXIF_NAME, imageio::encodeExif(*properties));
                if (const auto xmp = properties->string(kOVPropertyXMP)) {
                    setBlob(vimage, VIPS_META_XMP_NAME,
                            std::vector<uint8_t>(xmp->begin(), xmp->end()));
                }
            }
        }
        auto options = vips::VImage::option();
        if (format->lossy) {
            options->set("Q", std::clamp(static_cast<int>(std::lround(quality * 100)), 1, 100));
        }
        if (type == "public.jpeg") {
            options->set("subsample_mode", chromaSubsampling ? VIPS_FOREIGN_SUBSAMPLE_ON
                                                             : VIPS_FOREIGN_SUBSAMPLE_OFF);
        } else if (type == "public.tiff") {
            options->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE);
        } else if (type == "public.heic") {
            options->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_HEVC);
        } else if (type == "public.avif") {
            options->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1);
        }
        void* buffer = nullptr;
        std::size_t size = 0;
        vimage.write_to_buffer(std::string(format->suffix).c_str(), &buffer, &size, options);
        std::vector<uint8_t> encoded(static_cast<uint8_t*>(buffer),
                                     static_cast<uint8_t*>(buffer) + size);
        g_free(buffer);
        if (properties != nullptr && format->exiv2Writes &&
            !imageio::writeMetadata(*properties, encoded)) {
            return {};
        }
        return encoded;
    } catch (const std::exception&) {
        vips_error_clear();
        return {};
    }
}

struct ImageDestination::Impl {
    std::filesystem::path path;
    std::string type;
    double quality = 0.9;
    bool chromaSubsampling = true;
    ImagePtr image;
    std::optional<Properties> properties;
    std::error_code error;
    std::size_t encodedSize = 0;
};

bool ImageDestination::canWriteType(const std::string& type) {
    return formatForType(type) != nullptr;
}

std::shared_ptr<ImageDestination> ImageDestination::createWithURL(const std::filesystem::path& path,
                                                                  const std::string& type) {
    if (!canWriteType(type) || path.empty()) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->type = type;
    return std::shared_ptr<ImageDestination>(new ImageDestination(std::move(impl)));
}

ImageDestination::ImageDestination(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
ImageDestination::~ImageDestination() = default;

void ImageDestination::setLossyCompressionQuality(double quality) {
    if (std::isfinite(quality)) {
        d->quality = std::clamp(quality, 0.0, 1.0);
    }
}
double ImageDestination::lossyCompressionQuality() const {
    return d->quality;
}
void ImageDestination::setChromaSubsampling(bool subsample) {
    d->chromaSubsampling = subsample;
}

void ImageDestination::addImage(ImagePtr image, const Properties* properties) {
    d->image = std::move(image);
    d->properties.reset();
    if (properties != nullptr) {
        d->properties = *properties;
    }
}

bool ImageDestination::finalize() {
    if (!d->image) {
        d->error = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    const auto encoded = encodeImage(*d->image, d->type, d->properties ? &*d->properties : nullptr,
                                     d->quality, d->chromaSubsampling);
    if (encoded.empty()) {
        d->error = std::make_error_code(std::errc::io_error);
        return false;
    }
    d->error = writeFileAtomically(d->path, encoded, FileWriteMode::CreateExclusive);
    d->encodedSize = d->error ? 0 : encoded.size();
    return !d->error;
}

std::error_code ImageDestination::error() const {
    return d->error;
}
std::size_t ImageDestination::encodedSize() const {
    return d->encodedSize;
}

} // namespace ov
