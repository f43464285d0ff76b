#include "inkstead/presets/OVPresetJson.h"
#include "inkstead/presets/OVPresetManager.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "support/EveryKindPreset.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class PresetImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto preset = std::make_shared<OVPreset>("Logo");
        logo = OVImageWatermark::imageWatermark();
        preset->setWatermarks({logo});
        manager.insertObject(preset, 1);
        ASSERT_TRUE(logo->setImage(ov::test::halfLogo(16, 16)));
        ASSERT_TRUE(manager.savePresets().get());
        json = OVPresetJsonString(*preset);
    }

    OVImportedPreset read() {
        auto imported = OVPresetFromJson(json);
        EXPECT_TRUE(imported) << imported.error().message;
        return std::move(imported).value();
    }

    ov::test::TempDir home;
    ov::test::ScopedEnvironment storageOverride{"INKSTEAD_HOME", home.path().string()};
    OVPresetManager manager{home / "storage", std::nullopt};
    std::shared_ptr<OVImageWatermark> logo;
    std::string json;
};

TEST_F(PresetImportTest, AddedCopyGetsFreeNameAndIdentifiersOfItsOwn) {
    auto imported = read();
    const auto done = manager.importPreset(imported, false);
    ASSERT_TRUE(done) << done.error().message;
    EXPECT_FALSE(done.value().replaced);
    EXPECT_TRUE(done.value().newIdentity);
    EXPECT_EQ(done.value().recordedName, "Logo");
    ASSERT_EQ(manager.count(), 3u);
    const auto added = manager.presetAtIndex(2);
    EXPECT_EQ(added->name(), "Logo 2");
    EXPECT_EQ(manager.presetWithNameOrID(added->uuid().uuidString()), added);
    const auto copy = std::static_pointer_cast<OVImageWatermark>(added->watermarks().at(0));
    EXPECT_NE(copy->uuid(), logo->uuid());
    EXPECT_TRUE(fs::exists(copy->imageURL()));
}

// Importing a preset over its own earlier form keeps its place, identifier and pictures.
TEST_F(PresetImportTest, ReplacingKeepsPlaceIdentifierAndSharedPictures) {
    auto imported = read();
    const auto done = manager.importPreset(imported, true);
    ASSERT_TRUE(done) << done.error().message;
    ASSERT_TRUE(manager.savePresets().get());
    OVPresetManager::removeReplacedPictures(done.value(), *imported.preset);
    EXPECT_EQ(manager.count(), 2u);
    EXPECT_EQ(manager.indexOfPreset(imported.preset), 1u);
    EXPECT_EQ(done.value().replaced->uuid(), imported.preset->uuid());
    EXPECT_TRUE(done.value().recordedName.empty());
    EXPECT_TRUE(fs::exists(logo->imageURL())) << "the picture both forms use was deleted";
}

TEST_F(PresetImportTest, PicturesThatCannotBeWrittenLeaveTheListAsItWas) {
    auto imported = read();
    fs::remove_all(home / "storage" / "images");
    ov::test::writeFile(home / "storage" / "images", "a file where the folder belongs");
    const auto before = manager.allPresets();
    const auto done = manager.importPreset(imported, true);
    ASSERT_FALSE(done);
    EXPECT_EQ(manager.allPresets(), before);
    EXPECT_EQ(manager.indexOfPreset(imported.preset), std::nullopt);
}

} // namespace
