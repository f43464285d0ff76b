#include "inkstead/platform/imageio/JxlContainer_p.h"

#include <array>
#include <cstring>
#include <string_view>

namespace ov::imageio {
namespace {

constexpr std::array<uint8_t, 12> kSignatureBox{0,   0,   0,    0x0C, 'J',  'X',
                                                'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
constexpr std::array<uint8_t, 20> kFileTypeBox{0,   0,   0, 0x14, 'f', 't', 'y', 'p', 'j', 'x',
                                               'l', ' ', 0, 0,    0,   0,   'j', 'x', 'l', ' '};

void appendBox(std::vector<uint8_t>& out, std::string_view type, std::span<const uint8_t> head,
               std::span<const uint8_t> payload) {
    const uint64_t size = 8 + head.size() + payload.size();
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(size >> shift));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), payload.begin(), payload.end());
}

struct Box {
    std::size_t offset;
    std::size_t size;
    std::string_view type;
};

// The top-level boxes of a container; empty when they do not tile the file exactly.
std::vector<Box> boxesOf(std::span<const uint8_t> file) {
    std::vector<Box> boxes;
    std::size_t offset = 0;
    while (offset < file.size()) {
        if (file.size() - offset < 8)
            return {};
        const uint8_t* p = file.data() + offset;
        uint64_t size =
            (uint64_t(p[0]) << 24) | (uint64_t(p[1]) << 16) | (uint64_t(p[2]) << 8) | p[3];
        if (size == 1) {
            if (file.size() - offset < 16)
                return {};
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = (size << 8) | p[i];
        } else if (size == 0) {
            size = file.size() - offset;
        }
        if (size < 8 || size > file.size() - offset)
            return {};
        boxes.push_back({offset, std::size_t(size), {reinterpret_cast<const char*>(p + 4), 4}});
        offset += size;
    }
    return boxes;
}

} // namespace

std::vector<uint8_t> jxlWithMetadata(std::span<const uint8_t> encoded,
                                     std::span<const uint8_t> exif, std::span<const uint8_t> xmp) {
    static constexpr std::string_view kExifMarker{"Exif\0\0", 6};
    if (exif.size() >= 6 && std::memcmp(exif.data(), kExifMarker.data(), 6) == 0)
        exif = exif.subspan(6);
    const bool bare = encoded.size() >= 2 && encoded[0] == 0xFF && encoded[1] == 0x0A;
    std::vector<Box> boxes;
    if (!bare) {
        if (encoded.size() < kSignatureBox.size() ||
            std::memcmp(encoded.data(), kSignatureBox.data(), kSignatureBox.size()) != 0)
            return {};
        boxes = boxesOf(encoded);
        if (boxes.empty())
            return {};
    }
    // The metadata boxes go before the code stream, where readers look first.
    std::size_t insertAt = 0;
    bool hasExif = false;
    bool hasXMP = false;
    for (const auto& box : boxes) {
        hasExif = hasExif || box.type == "Exif";
        hasXMP = hasXMP || box.type == "xml ";
        if (insertAt == 0 && (box.type == "jxlc" || box.type == "jxlp"))
            insertAt = box.offset;
    }
    if (!bare && insertAt == 0)
        return {};

    std::vector<uint8_t> out;
    out.reserve(encoded.size() + exif.size() + xmp.size() + 64);
    if (bare) {
        out.insert(out.end(), kSignatureBox.begin(), kSignatureBox.end());
        out.insert(out.end(), kFileTypeBox.begin(), kFileTypeBox.end());
    } else {
        out.insert(out.end(), encoded.begin(), encoded.begin() + insertAt);
    }
    // The "Exif" box starts with the offset of the TIFF header within its payload.
    static constexpr std::array<uint8_t, 4> kTiffOffset{0, 0, 0, 0};
    if (!exif.empty() && !hasExif)
        appendBox(out, "Exif", kTiffOffset, exif);
    if (!xmp.empty() && !hasXMP)
        appendBox(out, "xml ", {}, xmp);
    if (bare)
        appendBox(out, "jxlc", {}, encoded);
    else
        out.insert(out.end(), encoded.begin() + insertAt, encoded.end());
    return out;
}

} // namespace ov::imageio
