#include "inkstead/model/OVImage.h"

#include "inkstead/platform/imageio/ImageSource.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

TEST(OVImage, presentsTheFileAsAnItem) {
    ov::test::TempDir dir;
    const auto file = dir / "My Trip #1 100%.jpg";
    ov::test::writeOrientedPhoto(file, 60, 40, 1);
    auto image = OVImage::imageWithURL(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->imageUID(),
              "file://" + dir.path().string() + "/My%20Trip%20%231%20100%25.jpg");
    EXPECT_EQ(image->imageTitle(), "My%20Trip%20%231%20100%25.jpg");
    EXPECT_EQ(image->imageRepresentation(), file);
    EXPECT_EQ(image->imageSubtitle(), OVByteCountString(fs::file_size(file)));
    auto source = image->copyCGImageSource();
    ASSERT_TRUE(source);
    EXPECT_EQ(source->type(), "public.jpeg");
}

TEST(OVImage, noURLGivesNoItemAndAMissingFileNoSubtitle) {
    EXPECT_EQ(OVImage::imageWithURL(std::nullopt), nullptr);
    EXPECT_EQ(OVImage::imageWithURL(fs::path()), nullptr);
    OVImage missing("/no/such/file.jpg");
    EXPECT_EQ(missing.imageSubtitle(), "");
    EXPECT_EQ(missing.copyCGImageSource(), nullptr);
}

TEST(OVFileURLString, escapesNonAsciiAndReservedBytes) {
    EXPECT_EQ(OVFileURLString("/a/b.jpg"), "file:///a/b.jpg");
    EXPECT_EQ(OVFileURLString("/Été/x?.png"), "file:///%C3%89t%C3%A9/x%3F.png");
}

TEST(OVByteCountString, readsLikePeopleSayIt) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {1499, "1 KB"},
        {1500, "2 KB"},
        {999'499, "999 KB"},
        {999'500, "1 MB"},
        {2'400'000, "2.4 MB"},
        {2'449'999, "2.4 MB"},
        {2'000'000, "2 MB"},
        {999'960'000, "1 GB"},
        {1'234'567'890, "1.23 GB"},
        {5'000'000'000'000, "5 TB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(OVByteCountString(bytes), text) << bytes;
}
