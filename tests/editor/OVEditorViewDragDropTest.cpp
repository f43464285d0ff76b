#include "EditorTestSupport.h"

#include <QMimeData>

#include <gtest/gtest.h>

namespace {

using namespace ov::test;

struct Drop {
    const char* name;
    bool urls; ///< else plain text
    Qt::DropActions actions;
    bool accepted;
};

template <class View> void expectDrop(const Drop& d) {
    SCOPED_TRACE(d.name);
    auto delegate = std::make_shared<RecordingDelegate>();
    View view;
    showPhoto(view, std::make_shared<OVPreset>(), delegate, editorPhoto(400, 300));
    QMimeData data;
    if (d.urls)
        data.setUrls({QUrl::fromLocalFile("/photos/a.jpg"), QUrl("https://example.org/b.jpg"),
                      QUrl::fromLocalFile("/photos/c.png")});
    else
        data.setText("/photos/a.jpg");
    QDragEnterEvent enter({400, 350}, d.actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    EXPECT_EQ(enter.isAccepted(), d.accepted);
    if (d.accepted) {
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    }
    QDropEvent drop({400, 350}, d.actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &drop);
    EXPECT_EQ(drop.isAccepted(), d.accepted);
    const std::vector<std::vector<std::filesystem::path>> expected{
        {"/photos/a.jpg", "/photos/c.png"}};
    EXPECT_EQ(delegate->receivedFiles, d.accepted ? expected : decltype(expected){});
}

TEST(EditorDrops, TakeCopiesOfFiles) {
    for (const Drop& d : {Drop{"fileUrls", true, Qt::CopyAction | Qt::MoveAction, true},
                          Drop{"plainText", false, Qt::CopyAction, false},
                          Drop{"moveOnly", true, Qt::MoveAction, false},
                          Drop{"linkOnly", true, Qt::LinkAction, false}}) {
        expectDrop<TestView>(d);
        expectDrop<TestStaticView>(d);
    }
}

/// A 2000 × 1500 photograph (scale 0.4) with one selected square; drags start beside it.
class EditorDragOut : public testing::Test {
protected:
    void SetUp() override {
        mark = filledSquare({1500, 1000, 300, 300});
        preset->setWatermarks({mark});
        preset->enableEditingForWatermark(mark);
        showPhoto(view, preset, delegate, editorPhoto(2000, 1500));
    }

    /// Presses beside the square and moves the pointer `distance` points to the right.
    void dragOut(double distance) {
        const ov::Point start = onScreen(view, {200, 200});
        press(view, start);
        EXPECT_TRUE(view.hasDragSession());
        drag(view, {start.x + 1, start.y});
        drag(view, {start.x + distance, start.y});
        release(view, {start.x + distance, start.y});
        EXPECT_FALSE(view.hasDragSession());
    }

    OVWatermarkPtr mark;
    OVPresetPtr preset = std::make_shared<OVPreset>();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    TestView view;
};

TEST_F(EditorDragOut, ReleasedWithinFivePointsRendersNothing) {
    dragOut(5.5); // 4.5 points beyond the first reported point
    EXPECT_EQ(view.drags, 0);
    EXPECT_FALSE(mark->isEditable()); // the press cleared the selection
    EXPECT_EQ(mark->bounds(), view.scaledImageFrame());
    EXPECT_TRUE(delegate->saveDirectories.empty());
    EXPECT_EQ(delegate->reloads, 1);
}

TEST_F(EditorDragOut, DropOutsideWritesThePromisedFileOnce) {
    QList<QUrl> delivered;
    view.move(400, 400);
    view.dragTarget = [&](QDrag& drag) {
        QCursor::setPos(view.mapToGlobal(QPoint(-200, -200))); // over no window of ours
        delivered = drag.mimeData()->urls();
        (void)drag.mimeData()->data("text/uri-list"); // targets may ask more than once
        return Qt::CopyAction;
    };
    dragOut(20);
    ASSERT_EQ(view.drags, 1);
    ASSERT_EQ(delegate->saveDirectories.size(), 1u);
    ASSERT_EQ(delivered.size(), 1);
    const std::filesystem::path file = delivered[0].toLocalFile().toStdString();
    EXPECT_EQ(file.parent_path(), delegate->saveDirectories[0]);
    EXPECT_TRUE(std::filesystem::is_regular_file(file)); // kept for the target to copy

    // The drag picture is the photograph fitted into 150 × 150 points, held by its lower left.
    const double ratio = view.devicePixelRatioF();
    EXPECT_EQ(view.dragPixmap.size(), QSize(150 * ratio, std::lround(112.5 * ratio)));
    EXPECT_EQ(view.dragHotSpot, QPoint(0, 113));
    // It was rendered through the view's own preset, until the next redraw.
    EXPECT_EQ(mark->bounds(), (ov::Rect{0, 0, 2000, 1500}));
    EXPECT_FALSE(mark->isEditable());
    (void)view.grab();
    EXPECT_EQ(mark->bounds(), view.scaledImageFrame());
}

TEST_F(EditorDragOut, TargetsInsideTheApplicationGetNothing) {
    bool offered = true;
    view.dragTarget = [&](QDrag& drag) {
        QCursor::setPos(view.mapToGlobal(QPoint(400, 350)));
        offered = drag.mimeData()->hasUrls() || !drag.mimeData()->data("text/uri-list").isEmpty();
        return Qt::IgnoreAction;
    };
    dragOut(20);
    EXPECT_EQ(view.drags, 1);
    EXPECT_FALSE(offered);
    EXPECT_TRUE(delegate->saveDirectories.empty());
}

} // namespace
