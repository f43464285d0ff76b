#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/platform/imageio/JpegMetadataSplice_p.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;
using ov::imageio::JpegSegmentSplicer;

const Bytes kSegments{0xFF, 0xE1, 0x00, 0x04, 'M', 'D'};
const Bytes kJfif{0xFF, 0xE0, 0x00, 0x05, 'J', 'F', 'I'};
const Bytes kStart{0xFF, 0xD8};
const Bytes kTables{0xFF, 0xDB, 0x00, 0x03, 0x01, 0xFF, 0xD9};

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct SpliceCase {
    const char* name;
    Bytes stream;
    Bytes expected; ///< empty: the stream is refused
};

// However the encoder cuts its stream, the segments land after the start of image and the JFIF
// segment, and nothing is written twice or lost.
TEST(JpegSegmentSplicer, PutsTheSegmentsAfterTheHeader) {
    const SpliceCase cases[] = {
        {"after JFIF", join({kStart, kJfif, kTables}), join({kStart, kJfif, kSegments, kTables})},
        {"without JFIF", join({kStart, kTables}), join({kStart, kSegments, kTables})},
        {"not a JPEG", join({kTables, kStart}), {}},
    };
    for (const auto& c : cases) {
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, c.stream.size()}) {
            Bytes written;
            JpegSegmentSplicer splicer(kSegments, [&](std::span<const uint8_t> bytes) {
                written.insert(written.end(), bytes.begin(), bytes.end());
                return true;
            });
            bool accepted = true;
            for (std::size_t at = 0; at < c.stream.size() && accepted; at += chunk)
                accepted = splicer.write(
                    std::span(c.stream).subspan(at, std::min(chunk, c.stream.size() - at)));
            EXPECT_EQ(accepted && splicer.finished(), !c.expected.empty()) << c.name << chunk;
            if (!c.expected.empty())
                EXPECT_EQ(written, c.expected) << c.name << " in chunks of " << chunk;
        }
    }
}

// A profile larger than one segment holds is cut into several and read back whole.
TEST(JpegSegmentSplicer, LargeProfilesRoundTrip) {
    ov::test::TempDir dir;
    ov::Properties properties;
    // An RGB display profile's header with no tags, and filler after it.
    Bytes profile(150'000);
    for (std::size_t i = 132; i < profile.size(); ++i)
        profile[i] = static_cast<uint8_t>(i * 7 + i / 251);
    const auto put = [&](std::size_t at, std::string_view text) {
        std::copy(text.begin(), text.end(), profile.begin() + at);
    };
    profile[1] = 0x02, profile[2] = 0x49, profile[3] = 0xF0; // its size
    profile[8] = 0x04, profile[9] = 0x30;                    // version 4.3
    put(12, "mntr"), put(16, "RGB "), put(20, "XYZ "), put(36, "acsp");
    properties.set(ov::kOVPropertyICCProfile, profile);
    const auto path = dir / "profiled.jpg";
    auto destination = ov::ImageDestination::createWithURL(path, "public.jpeg");
    destination->addImage(ov::Image::createNative(32, 16), &properties);
    ASSERT_TRUE(destination->finalize()) << destination->error().message();
    EXPECT_EQ(destination->encodedSize(), std::filesystem::file_size(path));
    const auto read = ov::ImageSource::createWithURL(path)->properties();
    EXPECT_EQ(read.bytes(ov::kOVPropertyICCProfile), profile);
}

} // namespace
