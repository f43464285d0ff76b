#include "inkstead/platform/imageio/ImageSource.h"

#include "inkstead/platform/imageio/ImageSource_p.h"
#include "inkstead/platform/imageio/MetadataCodec_p.h"
#include "inkstead/platform/imageio/PixelRows_p.h"
#include "inkstead/platform/imageio/VipsRuntime_p.h"

#include <vips/vips.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <string_view>
#include <system_error>

namespace ov {
namespace {

// A HEIF container says in its "ftyp" box whether it holds AVIF or HEVC pictures.
bool isAVIF(const uint8_t* bytes, std::size_t length) {
    if (length < 12 || std::memcmp(bytes + 4, "ftyp", 4) != 0) {
        return false;
    }
    const std::string_view brand(reinterpret_cast<const char*>(bytes + 8), 4);
    return brand == "avif" || brand == "avis";
}

// Maps the loader class libvips picked to a type identifier. Loaders not listed here (matrix, CSV,
// raw, ...) do not count as images for the library.
std::string typeForLoader(std::string_view loader, const uint8_t* head, std::size_t headLength) {
    struct Entry {
        std::string_view prefix;
        std::string_view type;
    };
    static constexpr std::array<Entry, 10> kTypes{{
        {"VipsForeignLoadJpeg", "public.jpeg"},
        {"VipsForeignLoadPng", "public.png"},
        {"VipsForeignLoadSpng", "public.png"},
        {"VipsForeignLoadTiff", "public.tiff"},
        {"VipsForeignLoadWebp", "org.webmproject.webp"},
        {"VipsForeignLoadNsgif", "com.compuserve.gif"},
        {"VipsForeignLoadGif", "com.compuserve.gif"},
        {"VipsForeignLoadHeif", ""}, // HEIC or AVIF, by the brand
        {"VipsForeignLoadJp2k", "public.jpeg-2000"},
        {"VipsForeignLoadJxl", "public.jxl"},
    }};
    for (const auto& entry : kTypes) {
        if (loader.substr(0, entry.prefix.size()) != entry.prefix) {
            continue;
        }
        if (entry.prefix == "VipsForeignLoadHeif") {
            return isAVIF(head, headLength) ? "public.avif" : "public.heic";
        }
        return std::string(entry.type);
    }
    return {};
}

std::vector<uint8_t> readHead(const std::filesystem::path& path, std::size_t count) {
    std::vector<uint8_t> head(count);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(count));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

} // namespace

std::string ImageSource::typeOfFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || !imageio::ensureVips()) {
        return {};
    }
    // The formats the library reads are known by their first bytes: one read of the head spares
    // the dozens of opens and stats of asking every loader about the file, which count on a
    // shared file system. Only what the head does not settle goes to the loaders.
    const auto head = readHead(path, 4096);
    imageio::ensureCodecsFor(head.data(), head.size());
    if (!head.empty()) {
        if (const char* loader = vips_foreign_find_load_buffer(head.data(), head.size())) {
            if (auto type = typeForLoader(loader, head.data(), head.size()); !type.empty())
                return type;
        }
        vips_error_clear();
    }
    const char* loader = vips_foreign_find_load(path.c_str());
    if (loader == nullptr) {
        vips_error_clear();
        return {};
    }
    return typeForLoader(loader, head.data(), head.size());
}

std::string ImageSource::typeOfData(const uint8_t* bytes, std::size_t length) {
    if (bytes == nullptr || length == 0 || !imageio::ensureVips()) {
        return {};
    }
    imageio::ensureCodecsFor(bytes, length);
    const char* loader = vips_foreign_find_load_buffer(bytes, length);
    if (loader == nullptr) {
        vips_error_clear();
        return {};
    }
    return typeForLoader(loader, bytes, length);
}

std::shared_ptr<ImageSource> ImageSource::createWithURL(const std::filesystem::path& path) {
    auto type = typeOfFile(path);
    if (type.empty()) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->type = std::move(type);
    impl->path = path;
    return std::shared_ptr<ImageSource>(new ImageSource(std::move(impl)));
}

std::shared_ptr<ImageSource> ImageSource::createWithData(std::vector<uint8_t> bytes) {
    auto type = typeOfData(bytes.data(), bytes.size());
    if (type.empty()) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->type = std::move(type);
    impl->bytes = std::move(bytes);
    return std::shared_ptr<ImageSource>(new ImageSource(std::move(impl)));
}

ImageSource::ImageSource(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
ImageSource::~ImageSource() = default;

const std::string& ImageSource::type() const {
    return d->type;
}
const std::filesystem::path& ImageSource::path() const {
    return d->path;
}

} // namespace ov

// ---- Properties and decoding -------------------------------------------------------------------

namespace ov {
namespace {

std::vector<uint8_t> blobField(vips::VImage& image, const char* name) {
    if (image.get_typeof(name) == 0) {
        return {};
    }
    size_t length = 0;
    const void* data = nullptr;
    if (vips_image_get_blob(image.get_image(), name, &data, &length) != 0 || data == nullptr) {
        vips_error_clear();
        return {};
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    return {bytes, bytes + length};
}

const char* colorModel(VipsInterpretation interpretation) {
    switch (interpretation) {
    case VIPS_INTERPRETATION_B_W:
    case VIPS_INTERPRETATION_GREY16:
        return "Gray";
    case VIPS_INTERPRETATION_CMYK:
        return "CMYK";
    case VIPS_INTERPRETATION_LAB:
    case VIPS_INTERPRETATION_LABS:
        return "Lab";
    default:
        return "RGB";
    }
}

int bitsPerComponent(VipsBandFormat format) {
    switch (format) {
    case VIPS_FORMAT_UCHAR:
    case VIPS_FORMAT_CHAR:
        return 8;
    case VIPS_FORMAT_USHORT:
    case VIPS_FORMAT_SHORT:
        return 16;
    case VIPS_FORMAT_DOUBLE:
    case VIPS_FORMAT_DPCOMPLEX:
        return 64;
    default:
        return 32;
    }
}

// Resolution in dots per inch from the EXIF tags, which state it in the unit of
// ResolutionUnit (2 inches, the default; 3 centimetres).
void addResolution(Properties& properties, vips::VImage& header) {
    const auto* tiff = properties.dictionary(kOVPropertyTIFFDictionary);
    const auto unit = tiff ? tiff->integer("ResolutionUnit").value_or(2) : 2;
    const double factor = unit == 3 ? 2.54 : 1.0;
    bool found = false;
    if (tiff != nullptr) {
        if (const auto x = tiff->number(kOVPropertyTIFFXResolution); x && *x > 0) {
            properties.set(kOVPropertyDPIWidth, *x * factor);
            found = true;
        }
        if (const auto y = tiff->number(kOVPropertyTIFFYResolution); y && *y > 0) {
            properties.set(kOVPropertyDPIHeight, *y * factor);
            found = true;
        }
    }
    // Otherwise the container's own density (JFIF, pHYs), which the decoder reports, in pixels
    // per millimetre, only when the file states one.
    if (!found && header.get_typeof("resolution-unit") != 0) {
        properties.set(kOVPropertyDPIWidth, header.xres() * 25.4);
        properties.set(kOVPropertyDPIHeight, header.yres() * 25.4);
    }
}

// A HEIF decoder turns the picture by the container's own transforms (rotation and mirror
// boxes), which are what a HEIF file's orientation is; the EXIF tag only repeats it, or is
// ignored by HEIF readers. The decoded pixels are therefore upright and the tag must not be
// applied again.
void dropExifOrientation(Properties& properties) {
    if (const auto* tiff = properties.dictionary(kOVPropertyTIFFDictionary)) {
        auto edited = *tiff;
        edited.remove(kOVPropertyTIFFOrientation);
        properties.setDictionary(kOVPropertyTIFFDictionary, std::move(edited));
    }
}

vips::VImage loadHeader(const ImageSource::Impl& d) {
    auto options = vips::VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL);
    if (d.isFile()) {
        return vips::VImage::new_from_file(d.path.c_str(), options);
    }
    return vips::VImage::new_from_buffer(d.bytes.data(), d.bytes.size(), "", options);
}

// How much a JPEG picture can shrink in its decoder (by 2, 4 or 8, in the DCT: far cheaper than
// decoding it whole and resampling) and still be at least width × height once upright; 1 for
// other formats. libvips' own choice leaves a factor of 2 to its resampler, which at the sizes
// of exports costs more than the decode itself.
int jpegShrink(const ImageSource::Impl& d, int width, int height) {
    if (d.type != "public.jpeg") {
        return 1;
    }
    auto header = loadHeader(d);
    const int orientation =
        header.get_typeof(VIPS_META_ORIENTATION) != 0 ? header.get_int(VIPS_META_ORIENTATION) : 1;
    if (orientation >= 5 && orientation <= 8) {
        std::swap(width, height);
    }
    for (int shrink : {8, 4, 2}) {
        if (header.width() / shrink >= width && header.height() / shrink >= height) {
            return shrink;
        }
    }
    return 1;
}

// The JPEG picture decoded smaller by `shrink`, top to bottom.
vips::VImage loadShrunk(const ImageSource::Impl& d, int shrink) {
    auto options = vips::VImage::option()
                       ->set("shrink", shrink)
                       ->set("access", VIPS_ACCESS_SEQUENTIAL)
                       ->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
    if (d.isFile()) {
        return vips::VImage::new_from_file(d.path.c_str(), options);
    }
    return vips::VImage::new_from_buffer(d.bytes.data(), d.bytes.size(), "", options);
}

// Decoded at the given box, shrinking in the decoder, rotated upright, and brought to 8-bit
// sRGB with alpha.
vips::VImage loadOriented(const ImageSource::Impl& d, int width, int height, VipsSize size) {
    // An option set is freed by the call it is given to, so it is made just before that call:
    // a decode that throws before it would leave it behind.
    const auto options = [&] {
        return vips::VImage::option()
            ->set("height", height)
            ->set("size", size)
            ->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
    };
    vips::VImage image;
    if (const int shrink = size == VIPS_SIZE_FORCE ? jpegShrink(d, width, height) : 1; shrink > 1) {
        vips::VImage shrunk = loadShrunk(d, shrink);
        image = shrunk.thumbnail_image(width, options());
    } else if (d.isFile()) {
        image = vips::VImage::thumbnail(d.path.c_str(), width, options());
    } else {
        // The blob only points at the source's bytes, which outlive this decode; the operation
        // takes its own reference.
        VipsBlob* blob = vips_blob_new(nullptr, d.bytes.data(), d.bytes.size());
        try {
            image = vips::VImage::thumbnail_buffer(blob, width, options());
        } catch (...) {
            vips_area_unref(VIPS_AREA(blob));
            throw;
        }
        vips_area_unref(VIPS_AREA(blob));
    }
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB || image.bands() < 3) {
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    }
    if (image.format() != VIPS_FORMAT_UCHAR) {
        image = image.cast(VIPS_FORMAT_UCHAR);
    }
    if (image.bands() > 4) {
        image = image.extract_band(0, vips::VImage::option()->set("n", 4));
    }
    return image;
}

// Pulls the pipeline through in strips of rows, top to bottom (the order sequential decoders
// need), converting each strip into the destination.
bool copyInto(vips::VImage& image, uint8_t* pixels, std::size_t bytesPerRow) {
    const int width = image.width();
    const int height = image.height();
    const int bands = image.bands();
    VipsRegion* region = vips_region_new(image.get_image());
    if (region == nullptr) {
        return false;
    }
    constexpr int kStrip = 64;
    bool ok = true;
    for (int top = 0; top < height && ok; top += kStrip) {
        VipsRect rect{0, top, width, std::min(kStrip, height - top)};
        if (vips_region_prepare(region, &rect) != 0) {
            ok = false;
            break;
        }
        for (int y = top; y < top + rect.height; ++y) {
            imageio::premultiplyRow(VIPS_REGION_ADDR(region, 0, y),
                                    pixels + static_cast<std::size_t>(y) * bytesPerRow, width,
                                    bands);
        }
    }
    g_object_unref(region);
    return ok;
}

} // namespace

Properties ImageSource::properties() const {
    Properties properties;
    try {
        auto header = loadHeader(*d);
        properties.set(kOVPropertyPixelWidth, int64_t{header.width()});
        properties.set(kOVPropertyPixelHeight, int64_t{header.height()});
        properties.set(kOVPropertyColorModel, std::string(colorModel(header.interpretation())));
        properties.set(kOVPropertyDepth, int64_t{bitsPerComponent(header.format())});
        properties.set(kOVPropertyHasAlpha, int64_t{header.has_alpha() ? 1 : 0});
        if (header.get_typeof(VIPS_META_N_PAGES) != 0 && header.get_int(VIPS_META_N_PAGES) > 1) {
            properties.set(kOVPropertyImageCount, int64_t{header.get_int(VIPS_META_N_PAGES)});
        }
        auto icc = blobField(header, VIPS_META_ICC_NAME);
        if (!icc.empty()) {
            properties.set(kOVPropertyICCProfile, std::move(icc));
        }
        imageio::readMetadata(d->path, d->isFile() ? nullptr : &d->bytes,
                              blobField(header, VIPS_META_EXIF_NAME),
                              blobField(header, VIPS_META_XMP_NAME), properties);
        if (d->type == "public.heic" || d->type == "public.avif") {
            dropExifOrientation(properties);
        }
        const auto* tiff = properties.dictionary(kOVPropertyTIFFDictionary);
        if (const auto orientation =
                tiff ? tiff->integer(kOVPropertyTIFFOrientation) : std::nullopt) {
            properties.set(kOVPropertyOrientation, *orientation);
        } else if (header.get_typeof(VIPS_META_ORIENTATION) != 0) {
            properties.set(kOVPropertyOrientation, int64_t{header.get_int(VIPS_META_ORIENTATION)});
        }
        addResolution(properties, header);
    } catch (const std::exception&) {
        vips_error_clear();
        return {};
    }
    return properties;
}

ImagePtr ImageSource::createThumbnail(double maxPixelSize) const {
    if (!(maxPixelSize >= 1) || maxPixelSize > 1e7) {
        return nullptr;
    }
    try {
        const int box = static_cast<int>(std::lround(maxPixelSize));
        auto image = loadOriented(*d, box, box, VIPS_SIZE_DOWN);
        auto result = Image::createNative(image.width(), image.height());
        if (!result || !copyInto(image, result->mutableData(), result->bytesPerRow())) {
            vips_error_clear();
            return nullptr;
        }
        return result;
    } catch (const std::exception&) {
        vips_error_clear();
        return nullptr;
    }
}

Result<void> ImageSource::decodeOriented(int width, int height, uint8_t* pixels,
                                         std::size_t bytesPerRow) const {
    if (width <= 0 || height <= 0 || pixels == nullptr ||
        bytesPerRow < static_cast<std::size_t>(width) * 4) {
        return makeError(std::errc::invalid_argument, "no room to decode the image into");
    }
    std::string reason = "the image could not be decoded";
    try {
        auto image = imageio::orientedPicture(*this, width, height);
        if (copyInto(image, pixels, bytesPerRow)) {
            return {};
        }
    } catch (const std::exception& error) {
        reason += std::string(": ") + error.what();
    }
    vips_error_clear();
    return makeError(std::errc::io_error, reason);
}

vips::VImage imageio::orientedPicture(const ImageSource& source, int width, int height) {
    auto image = loadOriented(source.impl(), width, height, VIPS_SIZE_FORCE);
    if (image.width() != width || image.height() != height) {
        image =
            image.resize(double(width) / image.width(),
                         vips::VImage::option()->set("vscale", double(height) / image.height()));
    }
    return image;
}

vips::VImage imageio::orientedDeepPicture(const ImageSource& source, int width, int height) {
    const auto& d = source.impl();
    auto header = loadHeader(d);
    if (header.format() != VIPS_FORMAT_USHORT) {
        return {};
    }
    // A turned picture is read whole to be turned; an upright one streams.
    const int orientation =
        header.get_typeof(VIPS_META_ORIENTATION) != 0 ? header.get_int(VIPS_META_ORIENTATION) : 1;
    const bool turned = orientation > 1 && orientation <= 8;
    auto options = vips::VImage::option()->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
    if (!turned) {
        options->set("access", VIPS_ACCESS_SEQUENTIAL);
    }
    auto image = d.isFile()
                     ? vips::VImage::new_from_file(d.path.c_str(), options)
                     : vips::VImage::new_from_buffer(d.bytes.data(), d.bytes.size(), "", options);
    if (turned) {
        image = image.autorot();
    }
    if (image.interpretation() != VIPS_INTERPRETATION_RGB16) {
        image = image.colourspace(VIPS_INTERPRETATION_RGB16);
    }
    if (image.bands() > 4) {
        image = image.extract_band(0, vips::VImage::option()->set("n", 4));
    }
    if (image.width() != width || image.height() != height) {
        image =
            image.resize(double(width) / image.width(),
                         vips::VImage::option()->set("vscale", double(height) / image.height()));
    }
    return image.cast(VIPS_FORMAT_USHORT);
}

} // namespace ov
