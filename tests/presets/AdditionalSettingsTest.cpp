// The settings added after the presets file's first readers: every one survives the presets
// file and the JSON form, and presets that do not use them are stored as before.

#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/presets/OVPresetJson.h"
#include "inkstead/storage/OVStorage.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include "support/ArchiveSamples.h"
#include "support/PixelProbes.h"
#include "support/PropertyValues.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

// A mark of `kind`; an image mark gets a picture, which it needs to be stored.
OVWatermarkPtr markOf(const OVWatermarkKind& kind) {
    auto mark = kind.make();
    if (auto* image = dynamic_cast<OVImageWatermark*>(mark.get()))
        EXPECT_TRUE(image->setImage(ov::test::solidCanvas(40, 20, {1, 0, 0, 1})->makeImage()));
    return mark;
}

bool archiveMentions(const std::vector<std::uint8_t>& archive, std::string_view key) {
    return std::search(archive.begin(), archive.end(), key.begin(), key.end()) != archive.end();
}

class AdditionalSettings : public testing::Test {
protected:
    void SetUp() override { OVSetStorageDirectory(home.path()); }
    void TearDown() override { OVSetStorageDirectory({}); }
    ov::test::TempDir home;
};

TEST_F(AdditionalSettings, EveryOneRoundTripsThroughTheFileAndJson) {
    int checked = 0;
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds()) {
        for (const auto& property : kind->properties) {
            if (!property.additional)
                continue;
            SCOPED_TRACE(std::string(kind->name) + "." + std::string(property.key));
            auto mark = markOf(*kind);
            const OVPropertyValue value = ov::test::otherValue(property, property.defaultValue);
            ASSERT_NE(value, property.defaultValue);
            property.set(*mark, value);
            auto preset = std::make_shared<OVPreset>("New");
            preset->setWatermarks({mark});

            const auto decoded = ov::test::archiveRoundTrip(preset);
            ASSERT_TRUE(decoded);
            EXPECT_EQ(property.get(*decoded->watermarks().front()), value);

            const std::string text = OVPresetJsonString(*preset);
            EXPECT_EQ(nlohmann::json::parse(text)["version"], 2);
            auto read = OVPresetFromJson(text);
            ASSERT_TRUE(read) << read.error().message;
            EXPECT_EQ(property.get(*read->preset->watermarks().front()), value);
            ++checked;
        }
    }
    EXPECT_GE(checked, 14);
}

TEST_F(AdditionalSettings, PresetsWithoutThemAreStoredAsBefore) {
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds()) {
        SCOPED_TRACE(std::string(kind->name));
        auto preset = std::make_shared<OVPreset>("Plain");
        preset->setWatermarks({markOf(*kind)});
        const auto archive = ov::KeyedArchiver::archivedDataWithRootArray({preset});
        const auto document = nlohmann::json::parse(OVPresetJsonString(*preset));
        EXPECT_EQ(document["version"], 1);
        const auto decoded = ov::test::archiveRoundTrip(preset);
        ASSERT_TRUE(decoded);
        for (const auto& property : kind->properties) {
            if (!property.additional)
                continue;
            EXPECT_FALSE(archiveMentions(archive, property.key)) << property.key;
            EXPECT_FALSE(document["watermarks"][0].contains(property.key)) << property.key;
            EXPECT_EQ(property.get(*decoded->watermarks().front()), property.defaultValue);
        }
    }
}

} // namespace
