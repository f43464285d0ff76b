#include "inkstead/platform/imageio/ImageDestination.h"

#include "inkstead/platform/files/AtomicFile.h"
#include "inkstead/platform/imageio/ColorConversion_p.h"
#include "inkstead/platform/imageio/JpegMetadataSplice_p.h"
#include "inkstead/platform/imageio/JxlContainer_p.h"
#include "inkstead/platform/imageio/MetadataCodec_p.h"
#include "inkstead/platform/imageio/PixelRows_p.h"
#include "inkstead/platform/imageio/StreamedPicture_p.h"
#include "inkstead/platform/imageio/VipsRuntime_p.h"
#include "inkstead/platform/imageio/WorkerHandoff_p.h"

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
    bool deep;        ///< keeps 16 bits a sample of a source that has them
};

constexpr std::array<Format, 8> kFormats{{
    {"public.jpeg", ".jpg", true, false, true, false},
    {"public.png", ".png", false, true, true, true},
    {"public.tiff", ".tif", false, true, true, true},
    {"org.webmproject.webp", ".webp", true, true, true, false},
    {"public.heic", ".heic", true, true, false, false},
    {"public.avif", ".avif", true, true, false, false},
    {"com.compuserve.gif", ".gif", false, true, false, false},
    {"public.jxl", ".jxl", true, true, false, false},
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

// Converts the rows a libvips region asks for from the native premultiplied B, G, R, A to
// straight R, G, B (A). Without alpha the premultiplied values are kept, which is the picture
// over black.
struct StraightPixels {
    const Image* image;
    bool withAlpha;
};

int generateStraight(VipsRegion* out, void*, void* a, void*, gboolean*) {
    const imageio::HandoffScope handoff(a);
    const auto& job = *static_cast<const StraightPixels*>(a);
    const VipsRect& r = out->valid;
    for (int y = r.top; y < r.top + r.height; ++y) {
        const uint8_t* src = job.image->data() +
                             static_cast<std::size_t>(y) * job.image->bytesPerRow() +
                             static_cast<std::size_t>(r.left) * 4;
        auto* dst = reinterpret_cast<uint8_t*>(VIPS_REGION_ADDR(out, r.left, y));
        imageio::straightenRow(src, dst, r.width, job.withAlpha ? 4 : 3);
    }
    return 0;
}

// A libvips image that converts `job.image` row by row as the encoder pulls it, so no second
// full-size buffer is made. `job` must outlive the image's use.
vips::VImage straightImage(const StraightPixels& job) {
    VipsImage* out = vips_image_new();
    vips_image_init_fields(out, job.image->width(), job.image->height(), job.withAlpha ? 4 : 3,
                           VIPS_FORMAT_UCHAR, VIPS_CODING_NONE, VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
    if (vips_image_pipelinev(out, VIPS_DEMAND_STYLE_THINSTRIP, nullptr) != 0 ||
        vips_image_generate(out, nullptr, generateStraight, nullptr,
                            const_cast<StraightPixels*>(&job), nullptr) != 0) {
        g_object_unref(out);
        throw vips::VError();
    }
    return vips::VImage(out); // takes over the reference
}

// Encoding failures are not the disk's: they get words of their own.
class EncodingErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "ov.encoding"; }
    std::string message(int) const override { return "the image could not be encoded"; }
};

std::error_code encodingFailed() {
    static const EncodingErrorCategory category;
    return {1, category};
}

void setBlob(vips::VImage& image, const char* name, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        return;
    }
    vips_image_set_blob_copy(image.get_image(), name, bytes.data(), bytes.size());
}

// The picture with the properties' resolution and profile, and, for the encoders that write
// metadata themselves, their EXIF and XMP.
vips::VImage withProperties(vips::VImage vimage, const Format& format,
                            const Properties* properties) {
    // Resolution: the encoder wants pixels per millimetre.
    const double dpiX = properties ? properties->number(kOVPropertyDPIWidth).value_or(72.0) : 72.0;
    const double dpiY = properties ? properties->number(kOVPropertyDPIHeight).value_or(dpiX) : 72.0;
    vimage = vimage.copy(vips::VImage::option()
                             ->set("xres", (dpiX > 0 ? dpiX : 72.0) / 25.4)
                             ->set("yres", (dpiY > 0 ? dpiY : 72.0) / 25.4));
    if (properties != nullptr) {
        // The pixels are RGB whatever the source was: a grey or CMYK profile would not fit.
        if (const auto icc = properties->bytes(kOVPropertyICCProfile);
            icc && imageio::fitsRGBPixels(*icc)) {
            setBlob(vimage, VIPS_META_ICC_NAME, *icc);
        }
        if (!format.exiv2Writes) {
            setBlob(vimage, VIPS_META_EXIF_NAME, imageio::encodeExif(*properties));
            if (const auto xmp = properties->string(kOVPropertyXMP)) {
                setBlob(vimage, VIPS_META_XMP_NAME, std::vector<uint8_t>(xmp->begin(), xmp->end()));
            }
        }
    }
    return vimage;
}

vips::VOption* encoderOptions(const Format& format, const std::string& type, double quality,
                              bool chromaSubsampling) {
    auto options = vips::VImage::option();
    if (format.lossy) {
        options->set("Q", std::clamp(static_cast<int>(std::lround(quality * 100)), 1, 100));
    }
    if (type == "public.jpeg") {
        options->set("subsample_mode",
                     chromaSubsampling ? VIPS_FOREIGN_SUBSAMPLE_ON : VIPS_FOREIGN_SUBSAMPLE_OFF);
    } else if (type == "public.tiff") {
        options->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE);
        options->set("resunit", VIPS_FOREIGN_TIFF_RESUNIT_INCH);
    } else if (type == "public.heic") {
        options->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_HEVC);
    } else if (type == "public.avif") {
        options->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1);
    }
    return options;
}

// Encodes a picture with the properties' resolution, profile and metadata. Throws
// vips::VError when encoding fails; empty when the metadata cannot be written.
std::vector<uint8_t> encode(vips::VImage vimage, const Format& format, const std::string& type,
                            const Properties* properties, double quality, bool chromaSubsampling) {
    vimage = withProperties(vimage, format, properties);
    void* buffer = nullptr;
    std::size_t size = 0;
    vimage.write_to_buffer(std::string(format.suffix).c_str(), &buffer, &size,
                           encoderOptions(format, type, quality, chromaSubsampling));
    // Metadata goes in with Exiv2, which reads the encoded bytes into a buffer of its own;
    // the encoder's buffer is released as soon as it is no longer needed.
    std::unique_ptr<void, decltype(&g_free)> owned(buffer, g_free);
    std::vector<uint8_t> encoded;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (properties != nullptr && format.exiv2Writes) {
        if (!imageio::writeMetadata(
                *properties, bytes, size, [&] { owned.reset(); }, encoded)) {
            return {};
        }
    } else if (properties != nullptr && type == "public.jxl") {
        // The JPEG XL encoder writes the colour profile only.
        const auto xmp = properties->string(kOVPropertyXMP).value_or("");
        encoded =
            imageio::jxlWithMetadata({bytes, size}, imageio::encodeExif(*properties),
                                     {reinterpret_cast<const uint8_t*>(xmp.data()), xmp.size()});
        if (encoded.empty()) {
            encoded.assign(bytes, bytes + size);
        }
    } else {
        encoded.assign(bytes, bytes + size);
    }
    return encoded;
}

gint64 writeToSplicer(VipsTargetCustom*, const void* data, gint64 length, gpointer user) {
    try {
        auto& splicer = *static_cast<imageio::JpegSegmentSplicer*>(user);
        return splicer.write({static_cast<const uint8_t*>(data), static_cast<std::size_t>(length)})
                   ? length
                   : -1;
    } catch (const std::exception&) {
        return -1; // no exception may cross libvips' C frames
    }
}

// Encodes a JPEG straight into the file, its metadata segments written on the way, so that the
// file is neither whole in memory nor rewritten. Throws vips::VError when encoding fails;
// false when the metadata cannot be written or the file refuses the bytes.
bool encodeJpegInto(AtomicFile& file, vips::VImage vimage, const Format& format,
                    const Properties* properties, double quality, bool chromaSubsampling,
                    std::size_t& written) {
    auto options = encoderOptions(format, "public.jpeg", quality, chromaSubsampling);
    std::vector<uint8_t> segments;
    if (properties != nullptr) {
        // All of it comes from the properties: the encoder adds nothing of its own.
        auto metadata = imageio::jpegMetadataSegments(*properties);
        if (!metadata) {
            delete options;
            return false;
        }
        segments = std::move(*metadata);
        if (const auto icc = properties->bytes(kOVPropertyICCProfile);
            icc && imageio::fitsRGBPixels(*icc)) {
            const auto profile = imageio::jpegProfileSegments(*icc);
            segments.insert(segments.end(), profile.begin(), profile.end());
        }
        options->set("strip", true);
    } else {
        vimage = withProperties(vimage, format, nullptr);
    }
    written = 0;
    imageio::JpegSegmentSplicer splicer(std::move(segments), [&](std::span<const uint8_t> bytes) {
        written += bytes.size();
        return file.write(bytes);
    });
    VipsTargetCustom* custom = vips_target_custom_new();
    g_signal_connect(custom, "write", G_CALLBACK(writeToSplicer), &splicer);
    vips::VTarget target(VIPS_TARGET(custom)); // takes over the reference
    vimage.write_to_target(".jpg", target, options);
    return splicer.finished() && !file.error();
}

// Writes the encoded picture into the file; JPEG streams, the other formats are encoded whole
// and then written. Throws vips::VError when encoding fails; false otherwise.
bool encodeInto(AtomicFile& file, vips::VImage vimage, const Format& format,
                const std::string& type, const Properties* properties, double quality,
                bool chromaSubsampling, std::size_t& written) {
    if (type == "public.jpeg") {
        return encodeJpegInto(file, std::move(vimage), format, properties, quality,
                              chromaSubsampling, written);
    }
    const auto encoded =
        encode(std::move(vimage), format, type, properties, quality, chromaSubsampling);
    written = encoded.size();
    return !encoded.empty() && file.write(encoded);
}

// Calls `use` with the image as a libvips picture of straight pixels, converted row by row as
// the encoder pulls them.
template <typename Use> auto withStraightPixels(const Image& image, const Format& format, Use use) {
    const auto native = image.isNativeLayout() ? nullptr : image.nativeCopy();
    const Image& pixels = native ? *native : image;
    const StraightPixels job{&pixels, format.alpha && !isOpaque(pixels)};
    imageio::publishHandoff(&job);
    // Received on every way out, since the pixels are freed or changed after it.
    const struct Received {
        const StraightPixels* job;
        ~Received() { imageio::receiveHandoff(job); }
    } received{&job};
    return use(straightImage(job));
}

} // namespace

std::vector<uint8_t> encodeImage(const Image& image, const std::string& type,
                                 const Properties* properties, double quality,
                                 bool chromaSubsampling) {
    const Format* format = formatForType(type);
    if (format == nullptr || !imageio::ensureVips()) {
        return {};
    }
    imageio::ensureCodecsForType(type);
    try {
        return withStraightPixels(image, *format, [&](vips::VImage pixels) {
            return encode(pixels, *format, type, properties, quality, chromaSubsampling);
        });
    } catch (const std::exception&) {
        vips_error_clear();
        return {};
    }
}

namespace {

// Whether this build of libvips can encode the format: its encoder may be left out of the build,
// or (AVIF, HEIC) present without the codec library it needs. Tried once on a tiny picture.
bool encoderWorks(const Format& format) {
    static std::mutex mutex;
    static std::map<std::string_view, bool> known;
    std::lock_guard lock(mutex);
    if (const auto it = known.find(format.type); it != known.end()) {
        return it->second;
    }
    bool works = false;
    if (imageio::ensureVips()) {
        try {
            const auto grey =
                (vips::VImage::black(16, 16, vips::VImage::option()->set("bands", 3)) + 128)
                    .cast(VIPS_FORMAT_UCHAR);
            imageio::ensureCodecsForType(std::string(format.type));
            works = !encode(grey, format, std::string(format.type), nullptr, 0.5, true).empty();
        } catch (const std::exception&) {
            vips_error_clear();
        }
    }
    known.emplace(format.type, works);
    return works;
}

} // namespace

bool ImageDestination::keepsSixteenBits(const std::string& type) {
    const Format* format = formatForType(type);
    return format != nullptr && format->deep;
}

bool ImageDestination::isKnownType(const std::string& type) {
    return formatForType(type) != nullptr;
}

std::string ImageDestination::filenameExtensionForType(const std::string& type) {
    const Format* format = formatForType(type);
    return format != nullptr ? std::string(format->suffix.substr(1)) : std::string();
}

struct ImageDestination::Impl {
    std::filesystem::path path;
    std::string type;
    double quality = 0.9;
    bool chromaSubsampling = true;
    ImagePtr image;
    std::optional<StreamedPicture> picture;
    std::optional<Properties> properties;
    std::error_code error;
    bool failedDecoding = false;
    std::size_t encodedSize = 0;

    /// Encodes the image or picture into `file`; false on failure, with `failedDecoding` set
    /// when the picture's source was to blame.
    bool encodeInto(AtomicFile& file);
};

bool ImageDestination::Impl::encodeInto(AtomicFile& file) {
    failedDecoding = false;
    const Format* format = formatForType(type);
    if (format == nullptr || (!image && !(picture && picture->source)) || !imageio::ensureVips()) {
        return false;
    }
    imageio::ensureCodecsForType(type);
    const Properties* metadata = properties ? &*properties : nullptr;
    const auto write = [&](vips::VImage pixels) {
        return ov::encodeInto(file, std::move(pixels), *format, type, metadata, quality,
                              chromaSubsampling, encodedSize);
    };
    std::shared_ptr<imageio::StreamState> state;
    try {
        if (image) {
            return withStraightPixels(*image, *format, write);
        }
        const bool written =
            write(imageio::streamedImage(*picture, format->alpha, format->deep, state));
        imageio::receiveFromWorkers(*state);
        return written;
    } catch (const std::exception&) {
        vips_error_clear();
        if (state)
            imageio::receiveFromWorkers(*state);
        // No pipeline at all means the source could not even be opened.
        failedDecoding = picture && (!state || imageio::sourceFailed(*state));
        return false;
    }
}

bool ImageDestination::canWriteType(const std::string& type) {
    const Format* format = formatForType(type);
    return format != nullptr && encoderWorks(*format);
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
    d->picture.reset();
    d->properties.reset();
    if (properties != nullptr) {
        d->properties = *properties;
    }
}

void ImageDestination::addPicture(StreamedPicture picture, const Properties* properties) {
    addImage(nullptr, properties);
    d->picture = std::move(picture);
}

Result<void> ImageDestination::finalize() {
    d->encodedSize = 0;
    if (!d->image && !d->picture) {
        d->error = std::make_error_code(std::errc::invalid_argument);
        return Error{d->error, "No image to write to " + d->path.string()};
    }
    AtomicFile file(d->path);
    if (!file.error() && !d->encodeInto(file)) {
        d->error = file.error() ? file.error() : encodingFailed();
        d->encodedSize = 0;
        if (file.error())
            return Error{d->error, "Could not write " + d->path.string() + ": " +
                                       d->error.message()};
        return Error{d->error, (d->failedDecoding ? "Could not decode the picture for "
                                                  : "Could not encode ") +
                                   d->path.string()};
    }
    if (file.error()) {
        d->error = file.error();
        d->encodedSize = 0;
        return Error{d->error, "Could not write " + d->path.string() + ": " + d->error.message()};
    }
    auto committed = file.commit(FileWriteMode::CreateExclusive);
    d->error = committed ? std::error_code() : committed.error().code;
    if (!committed)
        d->encodedSize = 0;
    return committed;
}

std::error_code ImageDestination::error() const {
    return d->error;
}
bool ImageDestination::failedDecoding() const {
    return d->failedDecoding;
}
std::size_t ImageDestination::encodedSize() const {
    return d->encodedSize;
}

} // namespace ov
