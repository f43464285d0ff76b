#include "inkstead/presets/OVPreset.h"

#include "PresetTestSupport.h"
#include "inkstead/presets/OVNotifications.h"

#include <gtest/gtest.h>

using presettest::drainMainQueue;
using presettest::makeWatermark;
using presettest::NotificationCounter;

namespace {

class PresetEditing : public ::testing::Test {
protected:
    void SetUp() override {
        drainMainQueue();
        preset->setWatermarks({a, b});
        preset->setWatermarkBounds({0, 0, 1000, 500});
    }
    void TearDown() override { drainMainQueue(); }

    std::shared_ptr<OVPreset> preset = std::make_shared<OVPreset>("Editing");
    OVWatermarkPtr a = makeWatermark(OVWatermarkTypeShape, {100, 100, 200, 100});
    OVWatermarkPtr b = makeWatermark(OVWatermarkTypeShape, {150, 120, 200, 100});
    static constexpr ov::Point kOverlap{200, 150};
    static constexpr ov::Point kEmpty{900, 450};
};

} // namespace

TEST_F(PresetEditing, ClickSelectsAndReturnsTheTopmostHit) {
    OVWatermarkPtr hit;
    EXPECT_TRUE(preset->watermark(hit, kOverlap, 1));
    EXPECT_EQ(hit, b);
    EXPECT_TRUE(b->isEditable());
    EXPECT_FALSE(a->isEditable());
    EXPECT_EQ(preset->selectedWatermark(), b);

    EXPECT_FALSE(preset->watermark(hit, kEmpty, 1));
    EXPECT_EQ(hit, nullptr);
    EXPECT_EQ(preset->selectedWatermark(), nullptr);
}

TEST_F(PresetEditing, DragOnlySelectsAnUnselectedWatermarkFirst) {
    EXPECT_EQ(preset->watermarkAtPoint(kOverlap, 1), nullptr);
    EXPECT_TRUE(b->isEditable());
    EXPECT_EQ(preset->watermarkAtPoint(kOverlap, 1), b);
    // A's handle area reaches half a handle below its frame; B is not there.
    EXPECT_EQ(preset->watermarkAtPoint({97, 97}, 1), nullptr);
    EXPECT_TRUE(a->isEditable());
    EXPECT_FALSE(b->isEditable());
    EXPECT_EQ(preset->watermarkAtPoint(kEmpty, 1), nullptr);
    EXPECT_EQ(preset->selectedWatermark(), nullptr);
}

TEST_F(PresetEditing, EnableEditingSelectsByIdentityAndNullDeselects) {
    preset->enableEditingForWatermark(a->copy()); // same uuid
    EXPECT_EQ(preset->selectedWatermark(), a);
    preset->enableEditingForWatermark(nullptr);
    EXPECT_EQ(preset->selectedWatermark(), nullptr);
}

TEST_F(PresetEditing, HandleAtPoint) {
    EXPECT_EQ(preset->handleAtPoint({300, 200}, a, 1), OVWatermarkHandleTopRight);
    EXPECT_EQ(preset->handleAtPoint({300, 200}, nullptr, 1), OVWatermarkHandleNone);
}

TEST_F(PresetEditing, OffsetReturnsTheAreaToRedraw) {
    auto shape = makeWatermark(OVWatermarkTypeShape, {0, 0, 100, 40});
    auto arrow = makeWatermark(OVWatermarkTypeArrow, {0, 0, 100, 40});
    EXPECT_EQ(preset->offsetWatermark(shape, 10, 0), (ov::Rect{0, 0, 110, 40}));
    EXPECT_EQ(preset->offsetWatermark(arrow, 10, 0), (ov::Rect{-90, -100, 300, 240}));
    EXPECT_EQ(preset->offsetWatermark(nullptr, 10, 0), ov::RectZero);
    EXPECT_TRUE(shape->shouldSave());
}

TEST_F(PresetEditing, ResizeFollowsTheWatermarksProportionalFlag) {
    a->setShouldResizeProportionally(true);
    preset->resizeWatermark(a, OVWatermarkHandleBottomRight, {500, 0});
    EXPECT_EQ(a->size(), (ov::Size{400, 200}));
    EXPECT_TRUE(a->shouldSave());
}

TEST_F(PresetEditing, InsertionPlacesTextLeftOfTheClick) {
    for (auto [type, x] : {std::pair{OVWatermarkTypeText, 255.0}, {OVWatermarkTypeShape, 500.0}}) {
        auto pending = makeWatermark(type, {0, 0, 300, 100});
        preset->enableInsertionForWatermark(pending);
        EXPECT_TRUE(preset->insertionModeEnabled());
        EXPECT_EQ(preset->numberOfWatermarks(), type == OVWatermarkTypeText ? 2u : 3u);
        // While pending, every point gives the pending watermark.
        EXPECT_EQ(preset->watermarkAtPoint(kEmpty, 1), pending);
        EXPECT_EQ(preset->watermarkAtPoint(kOverlap, 1), pending);

        preset->setShouldSave(false);
        preset->insertedWatermarkAtPoint({500, 300});
        EXPECT_EQ(pending->origin(), (ov::Point{x, 300}));
        EXPECT_EQ(preset->watermarkAtIndex(0), pending);
        EXPECT_EQ(preset->selectedWatermark(), pending);
        EXPECT_TRUE(preset->shouldSave());
        EXPECT_TRUE(preset->insertionModeEnabled()); // stays on for the sizing drag
        preset->cancelWatermarkInsert();
        EXPECT_FALSE(preset->insertionModeEnabled());
    }
}

TEST_F(PresetEditing, CancelPostsInsertionEndedSynchronouslyEvenWhenOff) {
    NotificationCounter ended(kOVWatermarkInsertionEnded);
    preset->cancelWatermarkInsert();
    EXPECT_EQ(ended.count(), 1);

    auto pending = makeWatermark(OVWatermarkTypeShape, {});
    preset->enableInsertionForWatermark(pending);
    preset->cancelWatermarkInsert(); // dropped without being added
    EXPECT_EQ(ended.count(), 2);
    EXPECT_EQ(preset->numberOfWatermarks(), 2u);
    EXPECT_EQ(preset->watermarkAtPoint(kEmpty, 1), nullptr);
}

TEST_F(PresetEditing, CancelRecomputesTheSelectedWatermarksPlacement) {
    preset->enableEditingForWatermark(b);
    b->setOrigin({700, 300}); // plain store, relative data now stale
    preset->cancelWatermarkInsert();
    EXPECT_EQ(b->relativeQuadrant(), OVRelativeQuadrantTopRight);
    EXPECT_EQ(b->relativePosition(), (ov::Point{0.1, 0.2}));
}

TEST_F(PresetEditing, RenameMarksThePresetDirty) {
    EXPECT_FALSE(preset->shouldSave());
    preset->setName("Renamed");
    EXPECT_EQ(preset->name(), "Renamed");
    EXPECT_TRUE(preset->shouldSave());
}
