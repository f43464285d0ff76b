// Every setting of the base record and of each kind survives a copy, the presets file and the
// JSON form; the settings added after the presets file's first readers are stored only when
// used, so presets that do not use them are stored as before.

#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/presets/OVPresetJson.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include "support/ArchiveSamples.h"
#include "support/PixelProbes.h"
#include "support/PropertyValues.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <typeinfo>

namespace {

// A mark of `kind`; an image mark gets a picture, which it needs to be stored.
OVWatermarkPtr markOf(const OVWatermarkKind& kind) {
    auto mark = kind.make();
    if (auto* image = dynamic_cast<OVImageWatermark*>(mark.get())) {
        EXPECT_TRUE(image->setImage(ov::test::solidCanvas(40, 20, {1, 0, 0, 1})->makeImage()));
    }
    return mark;
}

bool archiveMentions(const std::vector<std::uint8_t>& archive, std::string_view key) {
    return std::search(archive.begin(), archive.end(), key.begin(), key.end()) != archive.end();
}

using AdditionalSettings = ov::test::StorageTest;

// Each setting set to another value than the factory's, on a watermark of the kind.
TEST_F(AdditionalSettings, EverySettingSurvivesCopyFileAndJson) {
    int checked = 0;
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds()) {
        std::vector<const OVWatermarkProperty*> properties;
        for (const auto& property : OVWatermarkBaseProperties())
            properties.push_back(&property);
        for (const auto& property : kind->properties)
            properties.push_back(&property);
        for (const OVWatermarkProperty* property : properties) {
            // A picture has no other value here; a text's frame follows its text.
            if (property->type == OVPropertyType::Picture ||
                (kind->type == OVWatermarkTypeText && property->key == "size"))
                continue;
            SCOPED_TRACE(std::string(kind->name) + "." + std::string(property->key));
            auto mark = markOf(*kind);
            const OVPropertyValue value = ov::test::otherValue(*property, property->get(*mark));
            property->set(*mark, value);
            ASSERT_EQ(property->get(*mark), value);
            auto preset = std::make_shared<OVPreset>("New");
            preset->setWatermarks({mark});
            const auto decoded = ov::test::archiveRoundTrip(preset);
            ASSERT_TRUE(decoded);
            const std::string text = OVPresetJsonString(*preset);
            EXPECT_EQ(nlohmann::json::parse(text)["version"], property->additional ? 2 : 1);
            auto read = OVPresetFromJson(text);
            ASSERT_TRUE(read) << read.error().message;
            for (const auto& [route, other] : {std::pair{"copy", mark->copy()},
                                               {"file", decoded->watermarks().front()},
                                               {"json", read->preset->watermarks().front()}}) {
                EXPECT_EQ(typeid(*other), typeid(*mark)) << route;
                EXPECT_EQ(property->get(*other), value) << route;
            }
            ++checked;
        }
    }
    EXPECT_GE(checked, 100);
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
