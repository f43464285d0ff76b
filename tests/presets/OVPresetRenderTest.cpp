#include "inkstead/presets/OVPreset.h"

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "support/EveryKindPreset.h"

#include <gtest/gtest.h>

namespace {

using ov::test::filledSquare;

bool isRed(const ov::Image& image, int x, int y) {
    const ov::Color c = image.colorAt(x, y);
    return c.alpha > 0.98 && c.red > 0.98 && c.green < 0.02;
}

ov::ImagePtr renderPreset(OVPreset& preset, int width, int height) {
    auto context = ov::GraphicsContext::createBitmap(width, height);
    preset.setWatermarkBounds({0, 0, double(width), double(height)});
    preset.renderInContext(*context);
    return context->makeImage();
}

} // namespace

TEST(PresetRendering, LaterWatermarksAreDrawnOverEarlierOnes) {
    OVPreset preset;
    preset.insertWatermark(filledSquare({10, 10, 50, 50}, {1, 0, 0, 1}), 0);
    preset.insertWatermark(filledSquare({30, 30, 50, 50}, {0, 0, 1, 1}), 0);
    auto image = renderPreset(preset, 100, 100);
    EXPECT_TRUE(isRed(*image, 20, 20));
    EXPECT_EQ(image->colorAt(40, 40), (ov::Color{0, 0, 1, 1}));
}

TEST(PresetRendering, EmptyPresetDrawsNothing) {
    OVPreset preset;
    auto image = renderPreset(preset, 50, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(image->colorAt(x, y).alpha, 0);
}

// A watermark placed 5 % from the top-right corner of one image lands 5 % from the top-right
// corner of images of other sizes and proportions, at the same share of the image width.
TEST(PresetRendering, RelativePlacementCarriesOverToOtherImageSizes) {
    auto preset = std::make_shared<OVPreset>("Placement");
    auto logo = filledSquare({750, 375, 200, 100}, {1, 0, 0, 1});
    preset->addWatermark(logo); // turns on relative placement for the shape
    preset->setEnableExportMode();
    preset->setWatermarkBounds({0, 0, 1000, 500});

    struct Case {
        int width, height;
        ov::Rect frame;
    };
    for (const Case& c :
         {Case{2000, 1000, {1500, 750, 400, 200}}, Case{500, 1000, {375, 900, 100, 50}}}) {
        auto image = renderPreset(*preset, c.width, c.height);
        EXPECT_EQ(logo->frame(), c.frame) << c.width;
        const int right = c.width - c.width / 20; // 5 % in from the right edge
        const int top = c.height - c.height / 20; // 5 % down from the top edge
        EXPECT_TRUE(isRed(*image, right - 1, top - 1)) << c.width;
        EXPECT_FALSE(isRed(*image, right + 1, top - 1)) << c.width;
        EXPECT_FALSE(isRed(*image, right - 1, top + 1)) << c.width;
        EXPECT_TRUE(isRed(*image, int(c.frame.minX()), int(c.frame.minY())));
        EXPECT_FALSE(isRed(*image, int(c.frame.minX()) - 2, int(c.frame.minY())));
    }
}

TEST(PresetRendering, SetPixellateImageSourceReachesOnlyPixellateWatermarks) {
    struct Recorder : OVWatermark {
        void setBackdropImage(ov::ImagePtr image) override { received = std::move(image); }
        ov::ImagePtr received;
    };
    OVPreset preset;
    auto pixellate = std::make_shared<Recorder>();
    pixellate->initWithWatermarkType(OVWatermarkTypePixellate);
    auto other = std::make_shared<Recorder>();
    other->initWithWatermarkType(OVWatermarkTypeImage);
    preset.setWatermarks({pixellate, other});
    auto picture = ov::Image::createNative(4, 4);
    preset.setPixellateImageSource(picture);
    EXPECT_EQ(pixellate->received, picture);
    EXPECT_EQ(other->received, nullptr);
}
