#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/presets/OVPresetManager.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "support/EveryKindPreset.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A storage folder of its own holding one preset with an image watermark; a second folder, the
// process's storage, stays empty.
class ReadOnlyPresetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        OVPresetManager writer(source, std::nullopt);
        auto preset = std::make_shared<OVPreset>("Logo");
        logo = OVImageWatermark::imageWatermark();
        preset->setWatermarks({logo});
        writer.insertObject(preset, 1);
        ASSERT_TRUE(logo->setImage(ov::test::halfLogo(16, 16)));
        ASSERT_TRUE(writer.savePresets().get());
    }

    // Every entry below `folder`, with its size, to see that nothing changed.
    static std::vector<std::string> contents(const fs::path& folder) {
        std::vector<std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            entries.push_back(entry.path().string() + " " +
                              (entry.is_regular_file() ? std::to_string(entry.file_size()) : ""));
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    ov::test::TempDir home;
    ov::test::ScopedEnvironment storageOverride{"INKSTEAD_HOME", (home / "process").string()};
    fs::path source = home / "source";
    std::shared_ptr<OVImageWatermark> logo;
};

TEST_F(ReadOnlyPresetsTest, ReadsTheListAndPicturesAndChangesNothing) {
    const auto before = contents(source);
    {
        auto opened =
            OVPresetManager::presetsOfFile(source / "presets.bin", OVStorageFolder(source));
        ASSERT_TRUE(opened) << opened.error().message;
        OVPresetManager& manager = *opened.value();
        EXPECT_TRUE(manager.isReadOnly());
        EXPECT_EQ(manager.presetArchivePath(), source / "presets.bin");
        ASSERT_EQ(manager.count(), 2u);
        auto mark = std::static_pointer_cast<OVImageWatermark>(
            manager.presetAtIndex(1)->watermarks().at(0));
        ASSERT_TRUE(mark->internal_image());
        EXPECT_EQ(mark->internal_image()->width(), 16);

        // Writes of every kind go nowhere: a save, a new picture, a removal, a duplicate.
        const auto saved = manager.savePresets().get();
        EXPECT_EQ(saved.error().code, std::errc::read_only_file_system);
        manager.removeObjectFromPresetsAtIndex(0);
        ASSERT_TRUE(mark->setImage(ov::test::halfLogo(8, 8)));
        EXPECT_EQ(mark->internal_image()->width(), 8) << "the new picture stays in memory";
        auto twin = std::static_pointer_cast<OVImageWatermark>(mark->duplicate());
        EXPECT_EQ(twin->internal_image()->width(), 8);
        mark->detachFromStorage();
        mark->removeImage();
        manager.cleanupOrphanedPresetAssets();
        ov::dispatch::runMainLoopFor(20ms);
    }
    EXPECT_EQ(contents(source), before);
    EXPECT_FALSE(fs::exists(home / "process")) << "the process's storage was touched";
}

TEST_F(ReadOnlyPresetsTest, RefusesWhatIsNoPresetsFile) {
    ov::test::writeFile(home / "text.bin", "not an archive");
    fs::create_directories(home / "folder.bin");
    const struct {
        fs::path file;
        std::errc code;
    } cases[] = {
        {home / "missing.bin", std::errc::no_such_file_or_directory},
        {home / "folder.bin", std::errc::no_such_file_or_directory},
        {home / "text.bin", std::errc::invalid_argument},
    };
    for (const auto& c : cases) {
        auto opened = OVPresetManager::presetsOfFile(c.file, OVStorageFolder(home.path()));
        ASSERT_FALSE(opened) << c.file;
        EXPECT_EQ(opened.error().code, std::make_error_code(c.code)) << c.file;
        EXPECT_NE(opened.error().message.find(c.file.string()), std::string::npos);
    }
    EXPECT_TRUE(fs::exists(home / "text.bin")) << "a file that is no presets file stays";
}

// A watermark made for one storage and attached to another leaves nothing in the first, and
// one attached to a read-only storage keeps a picture it is given in memory only.
TEST_F(ReadOnlyPresetsTest, AttachingLeavesNoFolderBehind) {
    auto mark = OVImageWatermark::imageWatermark();
    mark->attachToStorage(OVStorageFolder::inContainer(home / "elsewhere").readOnly());
    ASSERT_TRUE(mark->setImage(ov::test::halfLogo(12, 12)));
    EXPECT_EQ(mark->internal_image()->width(), 12);
    EXPECT_FALSE(fs::exists(home / "elsewhere"));
    EXPECT_FALSE(fs::exists(home / "process"));
}

} // namespace
