#include "inkstead/platform/archive/BinaryPropertyList_p.h"
#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "support/ArchiveSamples.h"

#include <gtest/gtest.h>

namespace {

using ov::test::archiveRoundTrip;

// A preset record written by hand with only a name, as an older writer might leave it.
std::vector<std::uint8_t> presetWithOnlyAName() {
    using namespace ov::bplist;
    return ov::test::keyedArchiveOf(
        {"$null", Dictionary{{"$class", Uid{3}}, {"name", Uid{2}}}, "Old",
         Dictionary{{"$classname", "OVPreset"}, {"$classes", Array{"OVPreset", "NSObject"}}}});
}

} // namespace

TEST(OVPresetCoding, RoundTripsEveryField) {
    auto source = std::make_shared<OVPreset>("Holiday");
    auto shape = OVShapeWatermark::circleShapeWatermark();
    auto image = OVWatermark::watermarkWithType(OVWatermarkTypeImage);
    source->setWatermarks({shape, image});
    source->setResizeConstraint(OVResizeConstraintLongestSide);
    source->setResizeMethod(OVResizeMethodPercentage);
    source->setResizeValue(33.3);
    source->setShouldResize(true);
    source->setShouldStripMetadata(true);

    auto decoded = archiveRoundTrip(source);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->name(), "Holiday");
    EXPECT_EQ(decoded->uuid(), source->uuid());
    auto list = decoded->watermarks();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->uuid(), shape->uuid());
    EXPECT_EQ(list[1]->uuid(), image->uuid());
    EXPECT_TRUE(std::dynamic_pointer_cast<OVShapeWatermark>(list[0]));
    EXPECT_EQ(decoded->resizeConstraint(), OVResizeConstraintLongestSide);
    EXPECT_EQ(decoded->resizeMethod(), OVResizeMethodPercentage);
    EXPECT_EQ(decoded->resizeValue(), static_cast<double>(33.3f));
    EXPECT_TRUE(decoded->shouldResize());
    EXPECT_TRUE(decoded->shouldStripMetadata());
    // A decoded preset runs its save timer and starts with nothing to save.
    EXPECT_TRUE(decoded->hasSaveTimer());
    EXPECT_FALSE(decoded->shouldSave());
}

TEST(OVPresetCoding, RoundTripsOutputSettingsUnderKeysOlderReadersSkip) {
    auto source = std::make_shared<OVPreset>("Web");
    source->setMetadataPolicy(OVMetadataPolicyCopyrightOnly);
    source->setMetadataArtist("Ada Lovelace");
    source->setMetadataCopyright("© 2026 Ada");
    source->setOutputFormat(OVOutputFormatAVIF);
    source->setOutputQuality(0.85);
    auto decoded = archiveRoundTrip(source);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->metadataPolicy(), OVMetadataPolicyCopyrightOnly);
    EXPECT_TRUE(decoded->shouldStripMetadata()); // what an older reader acts on
    EXPECT_EQ(decoded->metadataArtist(), "Ada Lovelace");
    EXPECT_EQ(decoded->metadataCopyright(), "© 2026 Ada");
    EXPECT_EQ(decoded->outputFormat(), OVOutputFormatAVIF);
    EXPECT_EQ(decoded->outputQuality(), 0.85);

    // A preset at the defaults is written with the keys an older writer wrote, and no others.
    const auto plain =
        ov::KeyedArchiver::archivedDataWithRootArray({std::make_shared<OVPreset>("P")});
    const std::string text(plain.begin(), plain.end());
    for (const auto key : {kOVMetadataPolicy, kOVMetadataArtist, kOVMetadataCopyright,
                           kOVOutputFormatKey, kOVOutputQuality})
        EXPECT_EQ(text.find(key), std::string::npos) << key;
}

TEST(OVPresetCoding, MissingEntriesGiveDefaults) {
    ov::KeyedUnarchiver coder(presetWithOnlyAName());
    auto preset = coder.decodeObjectOfClass<OVPreset>("root");
    ASSERT_TRUE(preset);
    EXPECT_EQ(preset->name(), "Old");
    EXPECT_TRUE(preset->watermarks().empty());
    EXPECT_FALSE(preset->shouldResize());
    EXPECT_FALSE(preset->shouldStripMetadata());
    EXPECT_EQ(preset->resizeValue(), 0.0);
    EXPECT_TRUE(preset->uuid().isNil());
    EXPECT_EQ(preset->metadataPolicy(), OVMetadataPolicyKeepAll);
    EXPECT_EQ(preset->metadataArtist(), "");
    EXPECT_EQ(preset->outputFormat(), OVOutputFormatSource);
    EXPECT_EQ(preset->outputQuality(), 0.0);
}

TEST(OVPresetCoding, ReadsAFileFromAnotherWriter) {
    auto list =
        ov::KeyedUnarchiver::unarchivedRootArrayOfClass<OVPreset>(ov::test::defaultPresetArchive());
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 1u);
    const auto& preset = list->front();
    EXPECT_EQ(preset->name(), "Default");
    EXPECT_EQ(preset->uuid().uuidString(), "0AD863BA-7584-40CF-8896-BD87B3280C34");
    EXPECT_TRUE(preset->watermarks().empty());
    EXPECT_FALSE(preset->shouldResize());
    EXPECT_FALSE(preset->shouldStripMetadata());
    EXPECT_EQ(preset->resizeValue(), 0.0);
}

TEST(OVPresetCoding, RecordWithoutNameOrIdentifiersStaysWithoutThem) {
    // The plain initializers leave name, title and identifiers unset, as a damaged record does.
    auto preset = std::make_shared<OVPreset>();
    preset->setWatermarks({std::make_shared<OVShapeWatermark>()});
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        const auto bytes = ov::KeyedArchiver::archivedDataWithRootArray({preset});
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()).find("NSUUID"), std::string::npos)
            << "no identifier object is made up";
        preset = archiveRoundTrip(preset);
        ASSERT_TRUE(preset);
        EXPECT_FALSE(preset->hasName());
        EXPECT_TRUE(preset->uuid().isNil());
        ASSERT_EQ(preset->watermarks().size(), 1u);
        EXPECT_FALSE(preset->watermarks().front()->hasTitle());
        EXPECT_FALSE(preset->watermarks().front()->copy()->hasTitle());
    }
}
