#include "inkstead/platform/imageio/JpegMetadataSplice_p.h"

#include "inkstead/platform/imageio/MetadataCodec_p.h"
#include "inkstead/platform/imageio/VipsRuntime_p.h"

#include <vips/vips8>

#include <algorithm>

namespace ov::imageio {
namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kApp0 = 0xE0;
constexpr uint8_t kApp15 = 0xEF;
constexpr uint8_t kComment = 0xFE;

// The smallest JPEG the encoder makes, without metadata: what Exiv2 writes segments into.
const std::vector<uint8_t>& emptyJpeg() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> result;
        if (!ensureVips()) {
            return result;
        }
        try {
            void* buffer = nullptr;
            std::size_t size = 0;
            vips::VImage::black(8, 8)
                .cast(VIPS_FORMAT_UCHAR)
                .write_to_buffer(".jpg", &buffer, &size,
                                 vips::VImage::option()->set("strip", true));
            const auto* data = static_cast<const uint8_t*>(buffer);
            result.assign(data, data + size);
            g_free(buffer);
        } catch (const vips::VError&) {
            vips_error_clear();
        }
        return result;
    }();
    return bytes;
}

// The APPn and comment segments that open a JPEG file, each with its marker.
std::vector<std::span<const uint8_t>> leadingSegments(const std::vector<uint8_t>& jpeg) {
    std::vector<std::span<const uint8_t>> segments;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == kMarker) {
        const uint8_t marker = jpeg[at + 1];
        if (!((marker >= kApp0 && marker <= kApp15) || marker == kComment)) {
            break;
        }
        const std::size_t length = 2 + ((std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3]);
        if (at + length > jpeg.size()) {
            break;
        }
        segments.emplace_back(jpeg.data() + at, length);
        at += length;
    }
    return segments;
}

} // namespace

std::optional<std::vector<uint8_t>> jpegMetadataSegments(const Properties& properties) {
    const auto& empty = emptyJpeg();
    if (empty.empty()) {
        return std::nullopt;
    }
    std::vector<uint8_t> written;
    if (!writeMetadata(
            properties, empty.data(), empty.size(), [] {}, written)) {
        return std::nullopt;
    }
    // What Exiv2 added: the segments the empty picture did not have.
    const auto before = leadingSegments(empty);
    std::vector<uint8_t> added;
    for (const auto segment : leadingSegments(written)) {
        const bool had = std::any_of(before.begin(), before.end(), [&](const auto& old) {
            return std::equal(old.begin(), old.end(), segment.begin(), segment.end());
        });
        if (!had) {
            added.insert(added.end(), segment.begin(), segment.end());
        }
    }
    return added;
}

std::vector<uint8_t> jpegProfileSegments(std::span<const uint8_t> profile) {
    static constexpr char kSignature[] = "ICC_PROFILE"; // with its terminating zero
    constexpr std::size_t kHeader = sizeof kSignature + 2;
    constexpr std::size_t kChunk = 0xFFFF - 2 - kHeader;
    const std::size_t count = (profile.size() + kChunk - 1) / kChunk;
    std::vector<uint8_t> segments;
    if (count == 0 || count > 255) {
        return segments;
    }
    for (std::size_t index = 0; index < count; ++index) {
        const auto chunk =
            profile.subspan(index * kChunk, std::min(kChunk, profile.size() - index * kChunk));
        const std::size_t length = 2 + kHeader + chunk.size();
        segments.insert(segments.end(), {kMarker, 0xE2, static_cast<uint8_t>(length >> 8),
                                         static_cast<uint8_t>(length & 0xFF)});
        segments.insert(segments.end(), kSignature, kSignature + sizeof kSignature);
        segments.push_back(static_cast<uint8_t>(index + 1));
        segments.push_back(static_cast<uint8_t>(count));
        segments.insert(segments.end(), chunk.begin(), chunk.end());
    }
    return segments;
}

JpegSegmentSplicer::JpegSegmentSplicer(std::vector<uint8_t> segments, Sink sink)
    : segments_(std::move(segments)), sink_(std::move(sink)) {}

bool JpegSegmentSplicer::write(std::span<const uint8_t> bytes) {
    if (spliced_) {
        return sink_(bytes);
    }
    head_.insert(head_.end(), bytes.begin(), bytes.end());
    return splice();
}

bool JpegSegmentSplicer::finished() const {
    return spliced_;
}

// Once the head holds the start of image and, when it comes next, the whole JFIF segment, writes
// it with the segments after them.
bool JpegSegmentSplicer::splice() {
    if (head_.size() < 4) {
        return true;
    }
    if (head_[0] != kMarker || head_[1] != kStartOfImage || head_[2] != kMarker) {
        return false;
    }
    std::size_t at = 2;
    if (head_[3] == kApp0) {
        if (head_.size() < 6) {
            return true;
        }
        at += 2 + ((std::size_t{head_[4]} << 8) | head_[5]);
        if (head_.size() < at) {
            return true;
        }
    }
    spliced_ = true;
    const std::span<const uint8_t> head(head_);
    const bool written = sink_(head.first(at)) && sink_(segments_) && sink_(head.subspan(at));
    head_ = {};
    segments_ = {};
    return written;
}

} // namespace ov::imageio
