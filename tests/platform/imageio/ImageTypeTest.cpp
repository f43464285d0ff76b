#include "inkstead/platform/imageio/ImageSource.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vips/vips8>

namespace {

using ov::ImageSource;
using ov::test::writeFile;

// One small image saved by libvips in each format under a misleading name: the type comes
// from the contents.
TEST(ImageTypeTest, TellsFormatsByContentNotName) {
    ov::test::TempDir dir;
    auto image = vips::VImage::black(8, 6, vips::VImage::option()->set("bands", 3)) + 40;
    image = image.cast(VIPS_FORMAT_UCHAR);
    const std::pair<const char*, const char*> cases[] = {
        {".jpg", "public.jpeg"},           {".png", "public.png"},         {".tif", "public.tiff"},
        {".webp", "org.webmproject.webp"}, {".gif", "com.compuserve.gif"},
    };
    int n = 0;
    for (const auto& [suffix, type] : cases) {
        const auto real = dir / ("real" + std::to_string(n) + suffix);
        image.write_to_file(real.c_str());
        const auto disguised = dir / ("disguised" + std::to_string(n++) + ".dat");
        std::filesystem::copy_file(real, disguised);
        EXPECT_EQ(ImageSource::typeOfFile(real), type) << suffix;
        EXPECT_EQ(ImageSource::typeOfFile(disguised), type) << suffix;
        auto source = ImageSource::createWithURL(disguised);
        ASSERT_TRUE(source) << suffix;
        EXPECT_EQ(source->type(), type);
    }
}

TEST(ImageTypeTest, NonImagesHaveNoType) {
    ov::test::TempDir dir;
    writeFile(dir / "empty.jpg", "");
    writeFile(dir / "text.png", "hello, this is not a picture\n");
    writeFile(dir / "matrix.mat", "2 2\n1 2\n3 4\n");
    std::filesystem::create_directory(dir / "folder.jpg");
    for (const char* name : {"empty.jpg", "text.png", "matrix.mat", "folder.jpg", "missing.jpg"}) {
        EXPECT_EQ(ImageSource::typeOfFile(dir / name), "") << name;
        EXPECT_EQ(ImageSource::createWithURL(dir / name), nullptr) << name;
    }
    EXPECT_EQ(ImageSource::typeOfData(nullptr, 0), "");
    EXPECT_EQ(ImageSource::createWithData({}), nullptr);
}

} // namespace
