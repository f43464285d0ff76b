#include "EditorTestSupport.h"
#include "support/PixelProbes.h"

#include <QMenu>
#include <QTimer>

#include <tuple>

#include <gtest/gtest.h>

namespace {

using namespace ov::test;

/// A 2000 × 1500 photograph in 800 × 700 points (scale 0.4, translated origin (0, 125)) with
/// one 400 × 200 square at (500, 500) of the photograph.
template <class View> class EditorScene : public testing::Test {
protected:
    void SetUp() override {
        mark = filledSquare({500, 500, 400, 200});
        preset->setWatermarks({mark});
        showPhoto(view, preset, delegate, editorPhoto(2000, 1500));
        ASSERT_NEAR(view.scale(), 0.4, 1e-12);
    }
    void TearDown() override { EXPECT_EQ(popOverrideCursors(), 0) << "unbalanced cursor stack"; }

    ov::Point at(double x, double y) const { return onScreen(view, {x, y}); }
    /// The square's frame in image pixels.
    ov::Rect markFrame() const { return {mark->origin(), mark->size()}; }

    OVWatermarkPtr mark;
    OVPresetPtr preset = std::make_shared<OVPreset>();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    View view;
};

using EditorEditing = EditorScene<TestView>;

TEST_F(EditorEditing, DragMovesByImagePixelsAndIgnoresPointsOutsideThePhoto) {
    press(view, at(700, 600));
    EXPECT_TRUE(mark->isEditable());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
    drag(view, at(800, 550));
    // The redraw covers the old and the new place only, grown by 10 points.
    ASSERT_EQ(view.redraws.size(), 2u);
    expectNear(view.redraws[1], view.scaleRect({500, 575, 500, 250}));
    drag(view, {400, 20}); // below the photograph, which starts 50 points up
    release(view, {400, 20});
    expectNear(markFrame(), {600, 450, 400, 200});
    EXPECT_EQ(delegate->reloads, 1);
    EXPECT_EQ(view.redraws.back(), view.bounds());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Each corner's handle, from the square's frame: the first drag finds the handle again at its
// own point; the later ones move it.
TEST_F(EditorEditing, HandlesResizeFreely) {
    const std::tuple<ov::Point, ov::Point, ov::Rect> drags[] = {
        {{500, 700}, {400, 800}, {400, 500, 500, 300}},  // top left
        {{900, 700}, {1100, 900}, {500, 500, 600, 400}}, // top right
        {{500, 500}, {300, 400}, {300, 400, 600, 300}},  // bottom left
        {{900, 500}, {1000, 300}, {500, 300, 500, 400}}, // bottom right
    };
    for (const auto& [corner, target, expected] : drags) {
        SCOPED_TRACE(corner.x + corner.y);
        mark->setSize({400, 200});
        mark->setOrigin({500, 500});
        preset->enableEditingForWatermark(nullptr);
        press(view, at(corner.x, corner.y));
        EXPECT_TRUE(view.shouldResizeWatermark());
        drag(view, at(corner.x + 1, corner.y + 1));
        drag(view, at(target.x, target.y));
        release(view, at(target.x, target.y));
        expectNear(markFrame(), expected);
        EXPECT_FALSE(view.shouldResizeWatermark());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST_F(EditorEditing, ClickInInsertionModePlacesTheDefaultSizeLeftOfThePoint) {
    auto pending = filledSquare({0, 0, 200, 200});
    preset->enableInsertionForWatermark(pending);
    hover(view, at(300, 300));
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    press(view, at(0, 0)); // the photograph's lower-left corner
    release(view, at(0, 0));
    EXPECT_FALSE(preset->insertionModeEnabled());
    ASSERT_EQ(preset->numberOfWatermarks(), 2u);
    EXPECT_EQ(preset->watermarkAtIndex(0), pending);
    expectNear(markFrame(), {500, 500, 400, 200});
    expectNear(pending->origin(), {-25, 0});
    EXPECT_EQ(pending->size(), (ov::Size{200, 200}));
    EXPECT_EQ(delegate->reloads, 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(EditorEditing, DrawOutInInsertionModeMovesTheBottomRightHandle) {
    auto pending = filledSquare({0, 0, 200, 200});
    preset->enableInsertionForWatermark(pending);
    hover(view, at(1000, 1000));
    press(view, at(1525, 1000));
    drag(view, at(1530, 990)); // finds the handle
    drag(view, at(1900, 800));
    release(view, at(1900, 800));
    expectNear(pending->origin(), {1500, 800});
    EXPECT_NEAR(pending->size().width, 400, 1e-6);
    EXPECT_NEAR(pending->size().height, 400, 1e-6);
    EXPECT_FALSE(preset->insertionModeEnabled());
    EXPECT_FALSE(view.shouldResizeWatermark());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(EditorEditing, EscapeWithoutSelectionEndsInsertionAndReloads) {
    preset->enableInsertionForWatermark(filledSquare({0, 0, 200, 200}));
    sendKey(view, Qt::Key_Escape);
    EXPECT_FALSE(preset->insertionModeEnabled());
    EXPECT_EQ(preset->selectedWatermark(), nullptr);
    EXPECT_EQ(delegate->reloads, 1);
    EXPECT_EQ(view.redraws, std::vector<ov::Rect>{view.bounds()});
}

// Nothing selected, an arrow key moves nothing; with the square selected it moves it by one
// image pixel, twenty with Shift (down decreases y), and redraws the old and new place.
TEST_F(EditorEditing, ArrowsMoveTheSelectionByImagePixels) {
    const std::tuple<int, Qt::KeyboardModifiers, ov::Point> nudges[] = {
        {Qt::Key_Left, Qt::NoModifier, {-1, 0}},
        {Qt::Key_Right, Qt::ShiftModifier, {20, 0}},
        {Qt::Key_Down, Qt::NoModifier, {0, -1}},
        {Qt::Key_Up, Qt::ShiftModifier, {0, 20}},
    };
    for (const auto& [key, modifiers, delta] : nudges) {
        SCOPED_TRACE(key);
        mark->setOrigin({500, 500});
        preset->enableEditingForWatermark(nullptr);
        view.redraws.clear();
        sendKey(view, key, modifiers);
        EXPECT_EQ(mark->origin(), (ov::Point{500, 500}));
        preset->enableEditingForWatermark(mark);
        sendKey(view, key, modifiers);
        expectNear(mark->origin(), {500 + delta.x, 500 + delta.y});
        const ov::Rect before{500, 625, 400, 200};
        ASSERT_EQ(view.redraws.size(), 1u);
        expectNear(view.redraws[0],
                   view.scaleRect(before.united(before.offsetBy(delta.x, delta.y))));
    }
}

TEST_F(EditorEditing, DeleteAndBackspaceRemoveTheSelection) {
    for (int key : {Qt::Key_Delete, Qt::Key_Backspace}) {
        preset->setWatermarks({mark});
        preset->enableEditingForWatermark(nullptr);
        sendKey(view, key);
        EXPECT_EQ(preset->numberOfWatermarks(), 1u);
        preset->enableEditingForWatermark(mark);
        sendKey(view, key);
        EXPECT_EQ(preset->numberOfWatermarks(), 0u);
    }
    EXPECT_EQ(delegate->reloads, 2);
}

/// Answers the next context menu with its first item; records its title and that item.
void answerMenu(QString* title, QString* item) {
    QTimer::singleShot(0, [=] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        *title = menu->title();
        *item = menu->actions().value(0)->text();
        menu->actions().value(0)->trigger();
        menu->close();
    });
}

TEST_F(EditorEditing, ContextMenuRemovesTheWatermarkUnderThePointer) {
    QString title, item;
    answerMenu(&title, &item);
    press(view, at(700, 600), Qt::RightButton);
    EXPECT_EQ(title, "Remove");
    EXPECT_EQ(item, "Remove");
    EXPECT_EQ(preset->numberOfWatermarks(), 0u);
    EXPECT_EQ(delegate->reloads, 1);
    EXPECT_EQ(view.redraws, std::vector<ov::Rect>{view.bounds()});
}

TEST_F(EditorEditing, RightClickBesideEveryWatermarkDeselectsWithoutMenu) {
    preset->enableEditingForWatermark(mark);
    QString title, item;
    answerMenu(&title, &item);
    press(view, at(100, 100), Qt::RightButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(title.isEmpty());
    EXPECT_FALSE(mark->isEditable());
    EXPECT_EQ(view.redraws, std::vector<ov::Rect>{view.bounds()});
}

using EditorStatic = EditorScene<TestStaticView>;

TEST_F(EditorStatic, IgnoresTheLeftButtonButNudgesWithKeys) {
    press(view, at(700, 600));
    drag(view, at(800, 550));
    release(view, at(800, 550));
    EXPECT_FALSE(mark->isEditable());
    EXPECT_EQ(mark->origin(), (ov::Point{500, 500}));
    EXPECT_EQ(delegate->reloads, 0);
    preset->enableEditingForWatermark(mark);
    sendKey(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(mark->origin(), (ov::Point{520, 500}));
}

} // namespace
