#include "inkstead/platform/imageio/ImageSource.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <unistd.h>

#include <cstdio>

namespace {

// Runs `work` with standard error sent to a file; returns what was written there.
template <typename Work>
std::string captureStandardError(const std::filesystem::path& file, Work work) {
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    std::FILE* capture = std::fopen(file.c_str(), "w");
    ::dup2(::fileno(capture), STDERR_FILENO);
    work();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::fclose(capture);
    return ov::test::readFile(file);
}

} // namespace

TEST(DecoderWarnings, StayOffStandardError) {
    ov::test::TempDir dir;
    // libvips' own AVIF encoder tags the file with colour information its decoder then warns
    // that it ignores.
    const auto path = dir / "tagged.avif";
    (vips::VImage::black(64, 48, vips::VImage::option()->set("bands", 3)) + 128)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .write_to_file(path.c_str());
    if (ov::ImageSource::typeOfFile(path).empty())
        GTEST_SKIP() << "no AVIF support here";

    ov::ImagePtr image;
    bool decoded = false;
    const std::string printed = captureStandardError(dir / "stderr", [&] {
        const auto source = ov::ImageSource::createWithURL(path);
        ASSERT_TRUE(source);
        image = source->createThumbnail(64);
        std::vector<uint8_t> pixels(64 * 48 * 4);
        decoded = source->decodeOriented(64, 48, pixels.data(), 64 * 4).ok();
    });
    ASSERT_TRUE(image);
    EXPECT_TRUE(decoded);
    EXPECT_EQ(image->width(), 64);
    EXPECT_EQ(printed, "");
}
