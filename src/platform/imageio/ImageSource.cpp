#include "platform/imageio/ImageSource.h"

#include "platform/imageio/ImageSource_p.h"
#include "platform/imageio/VipsRuntime_p.h"

#include <vips/vips.h>

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
    const char* loader = vips_foreign_find_load(path.c_str());
    if (loader == nullptr) {
        vips_error_clear();
        return {};
    }
    const auto head = readHead(path, 16);
    return typeForLoader(loader, head.data(), head.size());
}

std::string ImageSource::typeOfData(const uint8_t* bytes, std::size_t length) {
    if (bytes == nullptr || length == 0 || !imageio::ensureVips()) {
        return {};
    }
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
