// The export's streamed picture against the bitmap render entry: the same pixels, within one
// level per channel, for every kind of watermark, turned or not, on every orientation.

#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/imaging/OVWatermarkedPicture.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/presets/OVPreset.h"

#include "support/EveryKindPreset.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

// Twice the size the marks are placed for, so that they cover only parts of the picture; a
// quarter turn makes it 1200 pixels tall, more than one band of drawing.
constexpr int kWidth = 1200;
constexpr int kHeight = 800;

struct StreamCase {
    int orientation;
    int kind; ///< index into watermarksOfEveryKind(); -1: all of them
    double rotation;
};

std::string caseName(const testing::TestParamInfo<StreamCase>& info) {
    const auto& c = info.param;
    return "Orientation" + std::to_string(c.orientation) + "_" +
           (c.kind < 0 ? std::string("AllKinds") : "Kind" + std::to_string(c.kind)) + "_" +
           (c.rotation == 0 ? "Upright" : "Turned");
}

std::vector<StreamCase> allCases() {
    std::vector<StreamCase> cases;
    for (int orientation = 1; orientation <= 8; ++orientation)
        for (int kind = -1; kind < 6; ++kind)
            for (double rotation : {0.0, 35.0})
                cases.push_back({orientation, kind, rotation});
    return cases;
}

class StreamedPictureTest : public ov::test::StorageTest,
                            public testing::WithParamInterface<StreamCase> {};

TEST_P(StreamedPictureTest, MatchesTheBitmapRender) {
    const auto& c = GetParam();
    const auto photo = home / "photo.jpg";
    ov::test::writeOrientedPhoto(photo, kWidth, kHeight, c.orientation, "[Q=95,strip]");
    auto source = ov::ImageSource::createWithURL(photo);
    ASSERT_TRUE(source);

    auto watermarks = ov::test::watermarksOfEveryKind();
    if (c.kind >= 0)
        watermarks = {watermarks[c.kind]};
    for (const auto& watermark : watermarks)
        watermark->setRotation(c.rotation);
    auto preset = std::make_shared<OVPreset>();
    preset->setWatermarks(watermarks);

    const auto bitmap = CGImageCreateWatermarkedImageWithPreset(source, preset->copy());
    ASSERT_TRUE(bitmap);
    auto picture = OVWatermarkedPictureWithPreset(source, preset->copy());
    ASSERT_TRUE(picture);
    const auto written = home / "streamed.png";
    auto destination = ov::ImageDestination::createWithURL(written, "public.png");
    destination->addPicture(std::move(*picture), nullptr);
    ASSERT_TRUE(destination->finalize()) << destination->error().message();

    auto streamed = vips::VImage::new_from_file(written.c_str());
    ASSERT_EQ(streamed.width(), bitmap->width());
    ASSERT_EQ(streamed.height(), bitmap->height());
    ASSERT_EQ(streamed.bands(), 3);
    const auto* pixels = static_cast<const uint8_t*>(streamed.data());
    int differing = 0;
    for (int y = 0; y < bitmap->height(); ++y)
        for (int x = 0; x < bitmap->width(); ++x) {
            const uint8_t* native = bitmap->data() + y * bitmap->bytesPerRow() + x * 4;
            const uint8_t* rgb = pixels + (static_cast<std::size_t>(y) * streamed.width() + x) * 3;
            const bool same = std::abs(native[2] - rgb[0]) <= 1 &&
                              std::abs(native[1] - rgb[1]) <= 1 &&
                              std::abs(native[0] - rgb[2]) <= 1;
            if (!same && ++differing <= 3)
                ADD_FAILURE() << "pixel " << x << ", " << y << " (from the top): bitmap "
                              << int(native[2]) << " " << int(native[1]) << " " << int(native[0])
                              << ", streamed " << int(rgb[0]) << " " << int(rgb[1]) << " "
                              << int(rgb[2]);
        }
    EXPECT_EQ(differing, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryKindRotationAndOrientation, StreamedPictureTest,
                         testing::ValuesIn(allCases()), caseName);

} // namespace
