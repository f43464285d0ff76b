// One preset holding a watermark of every kind, rendered through the export's render entry on a
// generated photograph, stored in the presets file and read back by a second preset manager.

#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/presets/OVPresetManager.h"
#include "inkstead/storage/OVStorage.h"
#include "inkstead/watermarks/OVImageWatermark.h"

#include "support/EveryKindPreset.h"
#include "support/GeneratedPhotos.h"
#include "support/PixelProbes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;

using ov::test::colorNear;

class AllKindsRenderTest : public ov::test::StorageTest {
protected:
    void SetUp() override {
        ov::test::uprightPicture(kWidth, kHeight).write_to_file(photoPath.c_str());
    }

    // Stacking order: the pixellate is on top, so the strikethrough crossing its region is
    // covered by the mosaic rather than drawn over it.
    std::shared_ptr<OVPreset> presetOfEveryKind() {
        auto preset = std::make_shared<OVPreset>("Every kind");
        preset->setWatermarks(ov::test::watermarksOfEveryKind());
        return preset;
    }

    ov::ImagePtr render(const std::shared_ptr<OVPreset>& preset) {
        return CGImageCreateWatermarkedImageWithPreset(ov::ImageSource::createWithURL(photoPath),
                                                       preset->copy());
    }

    fs::path photoPath = home / "photo.png";
};

} // namespace

TEST_F(AllKindsRenderTest, EveryKindRendersAndSurvivesThePresetsFile) {
    auto preset = presetOfEveryKind();
    auto plain = render(std::make_shared<OVPreset>());
    auto image = render(preset);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width(), kWidth);
    ASSERT_EQ(image->height(), kHeight);

    EXPECT_TRUE(colorNear(image->colorAt(50, 50), {1, 0, 0, 1})); // shape
    // Text: white glyphs where the photo has no white at all.
    const ov::Rect textFrame = preset->watermarks()[1]->frame();
    ASSERT_GT(textFrame.size.width, 0);
    int glyphPixels = 0;
    for (int y = int(textFrame.minY()); y < int(textFrame.maxY()); ++y)
        for (int x = int(textFrame.minX()); x < int(textFrame.maxX()); ++x) {
            glyphPixels += colorNear(image->colorAt(x, y), {1, 1, 1, 1}, 0.05);
            ASSERT_FALSE(colorNear(plain->colorAt(x, y), {1, 1, 1, 1}, 0.05));
        }
    EXPECT_GT(glyphPixels, 100);
    EXPECT_TRUE(colorNear(image->colorAt(520, 340), {0, 0, 1, 1})); // logo, opaque half
    EXPECT_EQ(image->colorAt(570, 340), plain->colorAt(570, 340));  // logo, clear half
    EXPECT_TRUE(colorNear(image->colorAt(175, 300), {0, 1, 0, 1})); // arrow shaft
    EXPECT_TRUE(colorNear(image->colorAt(300, 200), {0, 0, 0, 1})); // diagonals cross
    EXPECT_EQ(image->colorAt(300, 5), plain->colorAt(300, 5));      // photo between the lines
    // Mosaic (its blocks are the pixellate tests' concern): the photo differs inside.
    int changed = 0;
    for (int y = 50; y < 130; ++y)
        for (int x = 350; x < 550; ++x)
            changed += !(image->colorAt(x, y) == plain->colorAt(x, y));
    EXPECT_GT(changed, 200 * 80 / 2);
    EXPECT_EQ(image->colorAt(345, 90), plain->colorAt(345, 90)); // just left of the mosaic

    // Through the presets file: a second manager reads back a preset that renders the same.
    {
        OVPresetManager writer;
        writer.insertObject(preset, 0);
        writer.waitForPendingSaves();
    }
    OVPresetManager reader(std::chrono::hours(1));
    auto decoded = reader.presetWithID(preset->uuid());
    ASSERT_NE(decoded, nullptr);
    ASSERT_EQ(decoded->numberOfWatermarks(), 6u);
    EXPECT_EQ(decoded->allWatermarkIDs(), preset->allWatermarkIDs());
    auto again = render(decoded);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->bytes(), image->bytes());
}

// A render works on copies, which write nothing into the storage; a duplicate made inside the
// preset gets its own picture, which the sweep keeps and which draws.
TEST_F(AllKindsRenderTest, RendersWriteNothingAndDuplicatesKeepTheirPictures) {
    auto preset = presetOfEveryKind();
    auto logoWatermark = std::static_pointer_cast<OVImageWatermark>(preset->watermarks()[2]);
    const fs::path kept = logoWatermark->imageURL();
    ASSERT_TRUE(fs::exists(kept));
    auto files = [] { return ov::test::listDirectory(imageCacheDestinationURL()); };
    const auto before = files();
    const auto image = render(preset);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(files(), before) << "a render writes nothing into the storage";

    auto twin =
        std::static_pointer_cast<OVImageWatermark>(preset->duplicateWatermark(logoWatermark));
    preset->removeWatermark(logoWatermark); // deletes the original's picture
    preset->addWatermark(twin);
    const fs::path stray = imageCacheDestinationURLForFilename("not-a-watermark.png");
    ov::test::writeFile(stray, "stray");

    {
        OVPresetManager writer;
        writer.insertObject(preset, 0);
        writer.waitForPendingSaves();
    }
    OVPresetManager sweeper(0ns);
    ov::dispatch::runMainLoopUntil([&] { return !fs::exists(stray); }, 5s);
    EXPECT_FALSE(fs::exists(kept));
    EXPECT_TRUE(fs::exists(twin->imageURL()));

    const auto decoded = sweeper.presetWithID(preset->uuid());
    ASSERT_NE(decoded, nullptr);
    const auto again = render(decoded);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(colorNear(again->colorAt(520, 340), {0, 0, 1, 1}))
        << "the duplicate draws its logo";
}
