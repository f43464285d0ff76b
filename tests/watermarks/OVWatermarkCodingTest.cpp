#include "inkstead/platform/archive/BinaryPropertyList_p.h"
#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "support/ArchiveSamples.h"

#include <gtest/gtest.h>

namespace {

using ov::bplist::Array;
using ov::bplist::Dictionary;
using ov::bplist::Uid;
using ov::bplist::Value;

using ov::test::archiveRoundTrip;

// A keyed archive written by hand: one record of `className` holding only `entries`
// (string values become string objects), as another writer might leave it.
std::vector<std::uint8_t> handWrittenRecord(const std::string& className, Dictionary entries) {
    Array objects{"$null"};
    Dictionary record{{"$class", Uid{2}}};
    objects.emplace_back(Value());
    objects.emplace_back(Dictionary{{"$classname", className},
                                    {"$classes", Array{className, "OVWatermark", "NSObject"}}});
    for (auto& [key, value] : entries) {
        if (std::holds_alternative<std::string>(value.v)) {
            objects.push_back(value);
            record.emplace_back(key, Uid{objects.size() - 1});
        } else {
            record.emplace_back(key, value);
        }
    }
    objects[1] = record;
    return ov::test::keyedArchiveOf(std::move(objects));
}

std::shared_ptr<OVWatermark> decodeRoot(const std::vector<std::uint8_t>& data) {
    ov::KeyedUnarchiver coder(data);
    return coder.decodeObjectOfClass<OVWatermark>("root");
}

} // namespace

// Each setting's round trip is checked with the kinds' property tables; here a plain base
// record keeps its class and identity, numbers stored as floats narrow, and display state stays
// out of the archive.
TEST(OVWatermarkCoding, BaseRecordKeepsIdentityNarrowsFloatsAndLeavesDisplayState) {
    auto source = OVWatermark::watermarkWithType(OVWatermarkTypeImage);
    source->setAlpha(0.3);
    source->setRotation(33.3);
    source->setVisible(false);
    source->setEditable(true);
    source->setBounds({0, 0, 100, 100});

    auto decoded = archiveRoundTrip(source);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(typeid(*decoded), typeid(OVWatermark));
    EXPECT_EQ(decoded->type(), OVWatermarkTypeImage);
    EXPECT_EQ(decoded->uuid(), source->uuid());
    EXPECT_TRUE(decoded->isEqualToWatermark(source.get()));
    EXPECT_EQ(decoded->alpha(), 0.30000001192092896); // the nearest 32-bit value
    EXPECT_EQ(decoded->rotation(), static_cast<double>(33.3f));
    // Display state is not archived: decoded watermarks are visible, unselected and clean.
    EXPECT_TRUE(decoded->isVisible());
    EXPECT_FALSE(decoded->isEditable());
    EXPECT_FALSE(decoded->shouldSave());
    EXPECT_EQ(decoded->bounds(), ov::Rect{});
}

// The sixteen base keys come first, in their order; readers that know only those skip the two
// that say whether the relative data are computed.
TEST(OVWatermarkCoding, WritesTheSixteenKeysInOrder) {
    auto data =
        ov::KeyedArchiver::archivedDataWithRootArray({OVShapeWatermark::circleShapeWatermark()});
    auto reader = ov::bplist::Reader::open(data, nullptr);
    ASSERT_TRUE(reader);
    const auto* root = reader->object(reader->topObject());
    const auto* objects = reader->object(*reader->lookup(*root, "$objects"));
    const auto* record = reader->object(objects->refs[2]);
    std::string keys;
    for (std::size_t i = 0; i < record->count(); ++i)
        keys += reader->object(record->refs[i])->bytes + " ";
    EXPECT_EQ(keys,
              "$class origin size type uuid title alpha rotation shadow relativePostion "
              "relativeSize proportional shouldUseRelativePostion shouldUseRelativeSize "
              "relativeQuadrant hasMaxSize maxSize relativePositionComputed relativeSizeComputed "
              "strokeThickness strokeColor fillColor shapeType lineDash ");
}

TEST(OVWatermarkCoding, MissingEntriesReadAsZeroFalseOrEmpty) {
    auto decoded = decodeRoot(handWrittenRecord("OVShapeWatermark", {{"origin", "{5, 6}"}}));
    auto shape = std::dynamic_pointer_cast<OVShapeWatermark>(decoded);
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->origin(), (ov::Point{5, 6}));
    EXPECT_EQ(shape->alpha(), 0.0); // unlike a new watermark's 1
    EXPECT_FALSE(shape->shouldResizeProportionally());
    EXPECT_FALSE(shape->hasMaxSize());
    EXPECT_TRUE(shape->uuid().isNil());
    EXPECT_EQ(shape->title(), "");
    EXPECT_EQ(shape->strokeThickness(), 0.0); // factory defaults are not applied
    EXPECT_EQ(shape->strokeColor(), std::nullopt);
    EXPECT_EQ(shape->fillColor(), std::nullopt);
    EXPECT_TRUE(shape->isVisible());
}

TEST(OVWatermarkCoding, OtherWritersNumberFormsAreAccepted) {
    // Doubles where floats are expected, integers as reals, flags stored inline.
    auto decoded = decodeRoot(handWrittenRecord(
        "OVWatermark",
        {{"alpha", 0.25}, {"type", 3.0}, {"proportional", true}, {"relativeQuadrant", 2.0}}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->alpha(), 0.25);
    EXPECT_EQ(decoded->type(), OVWatermarkTypeShape);
    EXPECT_TRUE(decoded->shouldResizeProportionally());
    EXPECT_EQ(decoded->relativeQuadrant(), OVRelativeQuadrantTopLeft);
}

TEST(OVShapeWatermarkCoding, NarrowsTheLineWidthAndKeepsUnknownFiguresAndNoColour) {
    auto source = OVShapeWatermark::squareShapeWatermark();
    source->setStrokeThickness(2.3);
    source->setStrokeColor(std::nullopt);
    source->setShapeType(static_cast<OVShapeType>(7)); // unknown figures survive archiving
    auto decoded = archiveRoundTrip(source);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->strokeThickness(), static_cast<double>(2.3f));
    EXPECT_EQ(decoded->shapeType(), 7u);
    EXPECT_EQ(decoded->strokeColor(), std::nullopt);
}

// Files written before the computed flags existed keep their meaning: a relative size of
// (1, 1) or (0, 0) is one not computed yet, and a relative position of (0, 0) leaves the origin
// alone, so such presets render as they always did.
TEST(OVWatermarkCoding, RecordsWithoutTheComputedFlagsFollowTheLegacyRule) {
    struct Row {
        const char* name;
        const char* relativePosition;
        const char* relativeSize;
        ov::Point origin; // after bounds of 2000 × 1000
        ov::Size size;
    };
    const Row rows[] = {
        // The stored geometry becomes the reference: nothing moves or scales.
        {"notComputed", "{0, 0}", "{1, 1}", {100, 50}, {200, 100}},
        // Computed fractions re-place and re-size the watermark.
        {"computed", "{0.1, 0.1}", "{0.2, 0.2}", {200, 100}, {400, 200}},
        // A computed size with a position of (0, 0): scaled, not moved.
        {"positionAtZero", "{0, 0}", "{0.2, 0.2}", {100, 50}, {400, 200}},
    };
    for (const Row& row : rows) {
        auto decoded = decodeRoot(
            handWrittenRecord("OVShapeWatermark", {{"origin", "{100, 50}"},
                                                   {"size", "{200, 100}"},
                                                   {"relativePostion", row.relativePosition},
                                                   {"relativeSize", row.relativeSize},
                                                   {"shouldUseRelativePostion", true},
                                                   {"shouldUseRelativeSize", true}}));
        ASSERT_TRUE(decoded) << row.name;
        decoded->setBounds({0, 0, 2000, 1000});
        EXPECT_EQ(decoded->origin(), row.origin) << row.name;
        EXPECT_EQ(decoded->size(), row.size) << row.name;
        EXPECT_FALSE(decoded->placement()) << row.name;
    }
}
