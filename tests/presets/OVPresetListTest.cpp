#include "inkstead/presets/OVPreset.h"

#include "PresetTestSupport.h"
#include "inkstead/presets/OVNotifications.h"

#include <gtest/gtest.h>

using presettest::drainMainQueue;
using presettest::makeWatermark;
using presettest::NotificationCounter;

namespace {

class PresetList : public ::testing::Test {
protected:
    void SetUp() override {
        drainMainQueue();
        for (auto* w : {&a, &b, &c}) {
            *w = makeWatermark(OVWatermarkTypeStrikethrough, {0, 0, 10, 10});
            preset->insertWatermark(*w, 0); // on top
        }
    }
    void TearDown() override { drainMainQueue(); }

    std::vector<OVWatermarkPtr> list() const { return preset->watermarks(); }

    std::shared_ptr<OVPreset> preset = std::make_shared<OVPreset>("List");
    OVWatermarkPtr a, b, c; // list order [A, B, C]
};

} // namespace

TEST_F(PresetList, DisplayIndexesCountFromTheTopForLookUpsAndInsertions) {
    ASSERT_EQ(list(), (std::vector<OVWatermarkPtr>{a, b, c}));
    EXPECT_EQ(preset->numberOfWatermarks(), 3u);
    EXPECT_EQ(preset->watermarkAtIndex(0), c);
    EXPECT_EQ(preset->watermarkAtIndex(2), a);
    EXPECT_EQ(preset->watermarkAtIndex(3), nullptr);
    EXPECT_EQ(preset->indexOfWatermark(c), 2u);
    EXPECT_EQ(preset->indexOfWatermark(a), 0u);
    EXPECT_EQ(preset->indexOfWatermark(makeWatermark(OVWatermarkTypeText, {})), 0u);
    EXPECT_EQ(preset->indexOfWatermark(c->copy()), 2u); // matched by identity of uuid
    EXPECT_EQ(preset->watermarkWithID(b->uuid()), b);
    EXPECT_EQ(preset->watermarkWithID(ov::UUID::random()), nullptr);

    auto d = makeWatermark(OVWatermarkTypeText, {});
    preset->insertWatermark(d, 3);
    EXPECT_EQ(list(), (std::vector<OVWatermarkPtr>{d, a, b, c}));
    auto e = makeWatermark(OVWatermarkTypeText, {});
    preset->insertWatermark(e, 9); // beyond the count: ignored
    EXPECT_EQ(preset->numberOfWatermarks(), 4u);
    EXPECT_FALSE(d->isEditable()); // no selection change
}

TEST_F(PresetList, RemoveByDisplayIndexPostsTwice) {
    NotificationCounter changed(kOVPresetChanged);
    preset->removeWatermarkAtIndex(5);
    drainMainQueue();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(preset->numberOfWatermarks(), 3u);

    preset->removeWatermarkAtIndex(0);
    EXPECT_EQ(changed.count(), 0); // posted on the main queue
    drainMainQueue();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(list(), (std::vector<OVWatermarkPtr>{a, b}));

    preset->removeWatermark(nullptr);
    preset->removeWatermark(a);
    drainMainQueue();
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(list(), (std::vector<OVWatermarkPtr>{b}));
}

TEST_F(PresetList, AddSelectsAndAdjustsKindsAtOnce) {
    NotificationCounter changed(kOVPresetChanged);
    preset->addWatermark(nullptr);
    drainMainQueue();
    EXPECT_EQ(changed.count(), 0);

    b->setEditable(true);
    auto shape = makeWatermark(OVWatermarkTypeShape, {});
    auto arrow = makeWatermark(OVWatermarkTypeArrow, {});
    for (auto& w : {shape, arrow}) {
        w->setShouldUseRelativePosition(false);
        w->setShouldUseRelativeSize(false);
    }
    preset->addWatermark(shape);
    EXPECT_EQ(preset->watermarkAtIndex(0), shape);
    EXPECT_EQ(preset->selectedWatermark(), shape);
    EXPECT_FALSE(b->isEditable());
    EXPECT_TRUE(shape->shouldUseRelativePosition()); // complete when the call returns
    preset->addWatermark(arrow);
    drainMainQueue(); // the notifications are posted on the main queue
    EXPECT_TRUE(shape->shouldUseRelativePosition());
    EXPECT_TRUE(shape->shouldUseRelativeSize());
    EXPECT_FALSE(arrow->shouldUseRelativePosition()); // arrows keep their own placement
    EXPECT_EQ(changed.count(), 2);
}

// An added text scales its font with its frame; a removed image mark takes its picture along.
TEST_F(PresetList, KindHooksOnAddingAndRemoving) {
    auto image = std::make_shared<presettest::HookRecorder>(OVWatermarkTypeImage);
    auto text = std::make_shared<presettest::HookRecorder>(OVWatermarkTypeText);
    text->setShouldUseRelativeSize(false);
    preset->addWatermark(text);
    EXPECT_TRUE(text->isEditable());
    EXPECT_TRUE(text->shouldUseDynamicFontSize());
    EXPECT_TRUE(text->shouldUseRelativeSize());
    preset->insertWatermark(image, 0);
    preset->removeWatermark(text);
    preset->removeWatermarkAtIndex(0);
    EXPECT_EQ(image->removeImageCalls, 1);
    EXPECT_EQ(text->removeImageCalls, 0);
    EXPECT_EQ(list(), (std::vector<OVWatermarkPtr>{a, b, c}));
}

TEST_F(PresetList, ImageIdentifiersInListOrder) {
    auto image1 = makeWatermark(OVWatermarkTypeImage, {});
    auto image2 = makeWatermark(OVWatermarkTypeImage, {});
    preset->insertWatermark(image1, 2);
    preset->insertWatermark(image2, 0);
    EXPECT_EQ(preset->allWatermarkIDs(),
              (std::vector<std::string>{image1->uuid().uuidString(), image2->uuid().uuidString()}));
}

TEST_F(PresetList, DuplicateIsACopyWithItsOwnIdentity) {
    b->setOrigin({12, 34});
    auto duplicate = preset->duplicateWatermark(b);
    ASSERT_TRUE(duplicate);
    EXPECT_FALSE(duplicate->isEqualToWatermark(b));
    EXPECT_EQ(duplicate->origin(), (ov::Point{12, 34}));
    EXPECT_EQ(duplicate->type(), b->type());
    EXPECT_EQ(preset->numberOfWatermarks(), 3u);
}

TEST_F(PresetList, CopyIsIndependentAndHasNoTimer) {
    preset->setResizeValue(33.3);
    preset->setShouldStripMetadata(true);
    preset->enableEditingForWatermark(b);
    auto copy = preset->copy();
    EXPECT_EQ(copy->uuid(), preset->uuid());
    EXPECT_EQ(copy->name(), "List");
    EXPECT_EQ(copy->resizeValue(), 33.3);
    EXPECT_TRUE(copy->shouldStripMetadata());
    EXPECT_TRUE(preset->hasSaveTimer());
    EXPECT_FALSE(copy->hasSaveTimer());
    EXPECT_FALSE(copy->shouldSave());
    const auto copies = copy->watermarks();
    ASSERT_EQ(copies.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NE(copies[i], list()[i]);
        EXPECT_TRUE(copies[i]->isEqualToWatermark(list()[i]));
    }
    copy->setEnableExportMode();
    EXPECT_EQ(preset->selectedWatermark(), b);
    EXPECT_EQ(copy->selectedWatermark(), nullptr);
}

TEST(PresetTemplate, EachDefaultPresetIsEmptyWithAnIdentityOfItsOwn) {
    auto preset = OVPreset::defaultPresetTemplate();
    EXPECT_FALSE(preset->uuid().isNil());
    EXPECT_EQ(preset->numberOfWatermarks(), 0u);
    EXPECT_NE(OVPreset::defaultPresetTemplate()->uuid(), preset->uuid());
}
