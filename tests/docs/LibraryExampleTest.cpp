// The library guide's complete example, run as a host would run it: a camera photo taken on its
// side goes in; an upright copy with the photo's metadata and a mark at the bottom right comes out.

#include "support/CameraPhoto.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

int runExample(const std::filesystem::path& input, const std::filesystem::path& output) {
    const std::string command = std::string("'") + INKSTEAD_LIBRARY_EXAMPLE + "' '" +
                                input.string() + "' '" + output.string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Pixels whose colour moved by more than `threshold` in some channel, and their bounding box
// (x, y from the top left).
struct Changes {
    int count = 0;
    int minX = 0, minY = 0, maxX = -1, maxY = -1;
};

Changes changedPixels(vips::VImage before, vips::VImage after, int threshold) {
    const int width = before.width(), height = before.height();
    const auto difference = (before.cast(VIPS_FORMAT_INT) - after.cast(VIPS_FORMAT_INT)).abs();
    const auto changed = (difference.bandor() > threshold).cast(VIPS_FORMAT_UCHAR);
    std::size_t size = 0;
    auto* pixels = static_cast<unsigned char*>(changed.write_to_memory(&size));
    Changes result{0, width, height, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[static_cast<std::size_t>(y) * width + x]) {
                ++result.count;
                result.minX = std::min(result.minX, x);
                result.maxX = std::max(result.maxX, x);
                result.minY = std::min(result.minY, y);
                result.maxY = std::max(result.maxY, y);
            }
    g_free(pixels);
    return result;
}

} // namespace

TEST(LibraryExample, StampsTheBottomRightOfAnUprightCopyThatKeepsTheMetadata) {
    ov::test::TempDir dir;
    // Stored 900 × 600 and tagged "turn a quarter clockwise": upright it is 600 × 900.
    const auto input = dir / "camera.jpg";
    ov::test::writeCameraPhoto(input, 6, true, 900, 600);
    const auto output = dir / "stamped.jpg";

    ASSERT_EQ(runExample(input, output), 0);

    auto stamped = vips::VImage::new_from_file(output.c_str());
    auto upright = vips::VImage::new_from_file(input.c_str()).autorot();
    ASSERT_EQ(stamped.width(), 600);
    ASSERT_EQ(stamped.height(), 900);

    // Only the mark changed the picture (beyond the encoder's noise), and it sits in the
    // bottom-right corner, close to both edges.
    const Changes mark = changedPixels(upright, stamped, 48);
    ASSERT_GT(mark.count, 200);
    EXPECT_GT(mark.minX, 600 / 2);
    EXPECT_GT(mark.minY, 900 * 3 / 4);
    EXPECT_LT(600 - 1 - mark.maxX, 600 / 10);
    EXPECT_LT(900 - 1 - mark.maxY, 600 / 10);

    auto image = Exiv2::ImageFactory::open(output.string());
    image->readMetadata();
    auto exif = image->exifData();
    const auto orientation = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    EXPECT_TRUE(orientation == exif.end() || orientation->toLong() == 1);
    EXPECT_EQ(exif["Exif.Image.Make"].toString(), "Inkstead Optics");
    EXPECT_EQ(exif["Exif.Photo.LensModel"].toString(), "Inkstead 35mm f/2");
    EXPECT_NE(exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude")), exif.end());
    EXPECT_NE(image->iptcData().findKey(Exiv2::IptcKey("Iptc.Application2.City")),
              image->iptcData().end());
}

TEST(LibraryExample, RefusesToReplaceAFileOrReadANonImage) {
    ov::test::TempDir dir;
    const auto input = dir / "camera.jpg";
    ov::test::writeCameraPhoto(input);
    EXPECT_EQ(runExample(input, input), 1);
    EXPECT_EQ(vips::VImage::new_from_file(input.c_str()).width(), 200);

    const auto text = dir / "notes.jpg";
    std::FILE* file = std::fopen(text.c_str(), "w");
    std::fputs("not a photo", file);
    std::fclose(file);
    EXPECT_EQ(runExample(text, dir / "out.jpg"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.jpg"));
}
