#include "EditorTestSupport.h"

#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace ov::test;

void expectNear(ov::Point actual, ov::Point expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6);
    EXPECT_NEAR(actual.y, expected.y, 1e-6);
}

void expectNear(ov::Rect actual, ov::Rect expected) {
    expectNear(actual.origin, expected.origin);
    EXPECT_NEAR(actual.size.width, expected.size.width, 1e-6);
    EXPECT_NEAR(actual.size.height, expected.size.height, 1e-6);
}

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

struct HandleDrag {
    std::string name;
    OVWatermarkHandle handle;
    ov::Point corner, target;
    ov::Rect expected;
};

void PrintTo(const HandleDrag& h, std::ostream* os) {
    *os << h.name;
}

class EditorHandles : public EditorScene<TestView>,
                      public testing::WithParamInterface<HandleDrag> {};

// The first drag finds the handle again at its own point; the later ones move it.
TEST_P(EditorHandles, ResizeFreely) {
    const HandleDrag& h = GetParam();
    press(view, at(h.corner.x, h.corner.y));
    EXPECT_TRUE(view.shouldResizeWatermark());
    drag(view, at(h.corner.x + 1, h.corner.y + 1));
    drag(view, at(h.target.x, h.target.y));
    release(view, at(h.target.x, h.target.y));
    expectNear(markFrame(), h.expected);
    EXPECT_FALSE(view.shouldResizeWatermark());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, EditorHandles,
    testing::Values(
        HandleDrag{
            "topLeft", OVWatermarkHandleTopLeft, {500, 700}, {400, 800}, {400, 500, 500, 300}},
        HandleDrag{
            "topRight", OVWatermarkHandleTopRight, {900, 700}, {1100, 900}, {500, 500, 600, 400}},
        HandleDrag{"bottomLeft",
                   OVWatermarkHandleBottomLeft,
                   {500, 500},
                   {300, 400},
                   {300, 400, 600, 300}},
        HandleDrag{"bottomRight",
                   OVWatermarkHandleBottomRight,
                   {900, 500},
                   {1000, 300},
                   {500, 300, 500, 400}}),
    [](const auto& info) { return info.param.name; });

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

struct Nudge {
    std::string name;
    int key;
    Qt::KeyboardModifiers modifiers;
    ov::Point delta;
};

void PrintTo(const Nudge& n, std::ostream* os) {
    *os << n.name;
}

class EditorArrows : public EditorScene<TestView>, public testing::WithParamInterface<Nudge> {};

TEST_P(EditorArrows, MoveTheSelectionByImagePixels) {
    const Nudge& n = GetParam();
    sendKey(view, n.key, n.modifiers); // nothing selected: nothing moves
    EXPECT_EQ(mark->origin(), (ov::Point{500, 500}));
    preset->enableEditingForWatermark(mark);
    sendKey(view, n.key, n.modifiers);
    expectNear(mark->origin(), {500 + n.delta.x, 500 + n.delta.y});
    const ov::Rect before{500, 625, 400, 200};
    ASSERT_EQ(view.redraws.size(), 1u);
    expectNear(view.redraws[0],
               view.scaleRect(before.united(before.offsetBy(n.delta.x, n.delta.y))));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EditorArrows,
    testing::Values(Nudge{"left", Qt::Key_Left, Qt::NoModifier, {-1, 0}},
                    Nudge{"shiftRight", Qt::Key_Right, Qt::ShiftModifier, {20, 0}},
                    Nudge{"downDecreasesY", Qt::Key_Down, Qt::NoModifier, {0, -1}},
                    Nudge{"shiftUp", Qt::Key_Up, Qt::ShiftModifier, {0, 20}}),
    [](const auto& info) { return info.param.name; });

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
