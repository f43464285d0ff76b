// The application's main flow on generated photographs, in a temporary storage folder: open
// images, place and edit a text mark, undo and redo, export, start again.

#include "ExportDialog.h"
#include "ImageList.h"
#include "Inspector.h"
#include "MainWindow.h"
#include "MarkList.h"
#include "PresetPanel.h"
#include "Theme.h"

#include "inkstead/appearance/OVColorWell.h"
#include "inkstead/editor/OVEditorView.h"
#include "inkstead/export/OVSaveReport.h"
#include "inkstead/model/OVModel.h"
#include "inkstead/presets/OVPresetManager.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"
#include "support/EveryKindPreset.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace ov::test;
namespace fs = std::filesystem;

constexpr int kWidth = 600;
constexpr int kHeight = 400;
constexpr ov::Color kMarkColor{0, 0, 1, 1};

// A widget position of a point in image pixels (y up) of the editor's photograph.
QPoint onEditor(const OVEditorView& view, ov::Point image) {
    const ov::Point origin = view.translatedOrigin();
    return QPoint(static_cast<int>((image.x + origin.x) * view.scale()),
                  view.height() - static_cast<int>((image.y + origin.y) * view.scale()));
}

ov::Point center(const OVWatermarkPtr& mark) {
    return {mark->origin().x + mark->size().width / 2, mark->origin().y + mark->size().height / 2};
}

// Pixels of `image` inside the rectangle given in image pixels (y up) that are strongly blue:
// the photographs' blue channel is 90 everywhere, the mark's 255.
int bluePixels(const QImage& image, ov::Rect rect) {
    int count = 0;
    for (int y = static_cast<int>(rect.origin.y); y < rect.origin.y + rect.size.height; ++y)
        for (int x = static_cast<int>(rect.origin.x); x < rect.origin.x + rect.size.width; ++x) {
            const int row = image.height() - 1 - y;
            if (x < 0 || row < 0 || x >= image.width() || row >= image.height())
                continue;
            const QColor c = image.pixelColor(x, row);
            count += c.blue() > 200 && c.red() < 120 && c.green() < 120;
        }
    return count;
}

template <class Predicate> bool waitFor(Predicate done, int milliseconds = 10000) {
    return QTest::qWaitFor(done, milliseconds);
}

class DesktopFlow : public ov::test::StorageTest {
protected:
    void SetUp() override {
        applyDarkTheme(*qobject_cast<QApplication*>(QCoreApplication::instance()));
        OVPreset::setSaveTimerInterval(std::chrono::milliseconds(100));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
            photos.push_back(home / name);
            writeOrientedPhoto(photos.back(), kWidth, kHeight, 0, "[Q=95,strip]");
        }
    }
    void TearDown() override { OVPreset::setSaveTimerInterval(std::chrono::seconds(5)); }

    std::unique_ptr<MainWindow>
    openWindow(std::chrono::milliseconds sweepDelay = std::chrono::seconds(5)) {
        auto window = std::make_unique<MainWindow>(sweepDelay);
        window->resize(1200, 800);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    std::vector<fs::path> photos;
};

TEST_F(DesktopFlow, PlaceEditExportAndRestore) {
    auto window = openWindow();
    window->addFiles(photos);
    ASSERT_EQ(window->model()->count(), 3u);
    ASSERT_EQ(window->imageList()->count(), 3);
    EXPECT_TRUE(waitFor([&] { return window->imageList()->pendingThumbnails() == 0; }));
    EXPECT_FALSE(window->imageList()->item(0)->icon().isNull());
    OVEditorView& view = *window->editor();
    ASSERT_TRUE(view.hasImage());
    const OVPresetPtr preset = window->currentPreset();
    ASSERT_TRUE(preset);

    // Toolbar button, then a click on the photograph.
    window->addAction(MainWindow::AddKind::text)->trigger();
    EXPECT_TRUE(preset->insertionModeEnabled());
    EXPECT_TRUE(window->addAction(MainWindow::AddKind::text)->isChecked());
    QTest::mouseClick(&view, Qt::LeftButton, {}, onEditor(view, {300, 200}));
    QCoreApplication::processEvents();
    ASSERT_EQ(preset->numberOfWatermarks(), 1u);
    if (preset->insertionModeEnabled())
        QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(window->addAction(MainWindow::AddKind::text)->isChecked());
    OVWatermarkPtr mark = preset->watermarkAtIndex(0);
    ASSERT_EQ(mark->type(), OVWatermarkTypeText);
    EXPECT_EQ(window->markList()->count(), 1);

    // Drag it 60 image pixels right and 40 down.
    const ov::Point start = center(mark);
    const ov::Point origin = mark->origin();
    QTest::mousePress(&view, Qt::LeftButton, {}, onEditor(view, start));
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(&view, onEditor(view, {start.x + 15 * step, start.y - 10 * step}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, onEditor(view, {start.x + 60, start.y - 40}));
    QCoreApplication::processEvents();
    mark = preset->watermarkAtIndex(0);
    EXPECT_NEAR(mark->origin().x - origin.x, 60, 3 / view.scale());
    EXPECT_NEAR(mark->origin().y - origin.y, -40, 3 / view.scale());

    // Text and colour in the inspector.
    Inspector& inspector = *window->inspector();
    ASSERT_EQ(inspector.watermark(), mark);
    auto* text = qobject_cast<QLineEdit*>(inspector.editorFor("text"));
    ASSERT_TRUE(text);
    text->selectAll();
    QTest::keyClicks(text, "MARK");
    auto* well = qobject_cast<OVColorWell*>(inspector.editorFor("color"));
    ASSERT_TRUE(well);
    well->activate();
    ASSERT_TRUE(well->colorChooser());
    well->colorChooser()->setCurrentColor(Qt::blue);
    well->colorChooser()->accept();
    auto textMark = [&] {
        return std::static_pointer_cast<OVTextWatermark>(preset->watermarkAtIndex(0));
    };
    EXPECT_EQ(textMark()->stringValue().value_or(""), "MARK");
    ASSERT_TRUE(textMark()->fontColor());
    EXPECT_NEAR(textMark()->fontColor()->blue, 1, 1e-3);

    // Undo the colour, redo it.
    QUndoStack& undo = *window->undoStack();
    EXPECT_GE(undo.count(), 4); // insert, move, text, colour
    undo.undo();
    EXPECT_FALSE(textMark()->fontColor() && textMark()->fontColor()->blue > 0.99 &&
                 textMark()->fontColor()->red < 0.01);
    undo.redo();
    EXPECT_NEAR(textMark()->fontColor().value_or(ov::Color::clear()).blue, 1, 1e-3);
    EXPECT_EQ(textMark()->stringValue().value_or(""), "MARK");

    // The preset's save timer wrote the file.
    const fs::path presetsFile = window->presetManager()->presetArchivePath();
    EXPECT_TRUE(waitFor([&] { return fs::exists(presetsFile); }));

    // Export all three: each output shows the mark where the editor had it.
    const ov::Rect frame{textMark()->origin(), textMark()->size()};
    QSignalSpy finished(window.get(), &MainWindow::exportFinished);
    window->exportImages(home / "out", nullptr);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(window->lastReport().failures.empty());
    ASSERT_EQ(window->lastReport().outputs.size(), 3u);
    for (const auto& output : window->lastReport().outputs) {
        const QImage exported(QString::fromStdString(output.output.string()));
        ASSERT_EQ(exported.size(), QSize(kWidth, kHeight)) << output.output;
        EXPECT_GT(bluePixels(exported, frame), 20) << output.output;
        EXPECT_EQ(bluePixels(exported, {{0, 0}, {150, 100}}), 0) << output.output;
    }

    // Dragging the photograph out writes the watermarked file into the drop folder.
    fs::create_directories(home / "dropped");
    view.saveCurrentImageToDirectory(home / "dropped");
    const QImage dropped(QString::fromStdString((home / "dropped" / "a.jpg").string()));
    ASSERT_FALSE(dropped.isNull());
    EXPECT_GT(bluePixels(dropped, frame), 20);

    // Start again: images, preset and last used preset come back.
    const ov::UUID presetID = preset->uuid();
    window->close();
    window.reset();
    auto again = openWindow();
    EXPECT_EQ(again->model()->count(), 3u);
    EXPECT_EQ(again->imageList()->count(), 3);
    ASSERT_TRUE(again->presetPanel()->currentPreset());
    EXPECT_EQ(again->presetPanel()->currentPreset()->uuid(), presetID);
    ASSERT_TRUE(again->currentPreset());
    ASSERT_EQ(again->currentPreset()->numberOfWatermarks(), 1u);
    const auto restored =
        std::static_pointer_cast<OVTextWatermark>(again->currentPreset()->watermarkAtIndex(0));
    EXPECT_EQ(restored->stringValue().value_or(""), "MARK");
    EXPECT_TRUE(again->editor()->hasImage());

    // The preset through its JSON form: imported beside the original, with an identity of
    // its own.
    const QString json = QString::fromStdString((home / "preset.json").string());
    EXPECT_EQ(again->presetPanel()->exportPreset(json), QString());
    EXPECT_EQ(again->presetPanel()->importPreset(json), QString());
    ASSERT_EQ(again->presetManager()->count(), 2u);
    const OVPresetPtr imported = again->presetManager()->presetAtIndex(1);
    EXPECT_NE(imported->uuid(), presetID);
    EXPECT_EQ(imported->numberOfWatermarks(), 1u);
    EXPECT_EQ(again->currentPreset(), imported);
    EXPECT_NE(again->presetPanel()->importPreset(QString::fromStdString(photos[0].string())),
              QString());
}

// Drags row `from` of the list onto the upper part of row `to`: a press selects it, the drop
// arrives as Qt delivers it at the end of a drag.
void dropRow(MarkList& list, int from, int to) {
    const QRect source = list.visualItemRect(list.item(from));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, source.center());
    ASSERT_EQ(list.currentRow(), from);
    std::unique_ptr<QMimeData> data(list.model()->mimeData({list.model()->index(from, 0)}));
    const QRect target = list.visualItemRect(list.item(to));
    const QPoint at(target.center().x(), target.top() + 2);
    QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &move);
    QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &drop);
    QCoreApplication::processEvents();
}

// The colour the editor shows at an image point.
QColor shownAt(OVEditorView& view, ov::Point image) {
    view.repaint();
    return view.grab().toImage().pixelColor(onEditor(view, image));
}

// The watermark list: hiding, stacking by drag (drawn in the new order) and removing, each
// undone where it is an edit.
TEST_F(DesktopFlow, MarkListHidesRestacksAndRemoves) {
    auto window = openWindow();
    window->addFiles({photos[0]});
    const OVPresetPtr preset = window->currentPreset();
    ASSERT_TRUE(preset);
    const auto red = filledSquare({100, 100, 200, 150});
    const auto blue = filledSquare({200, 150, 200, 150}, {0, 0, 1, 1});
    preset->setWatermarks({red, blue});
    MarkList& list = *window->markList();
    list.reload(preset);
    ASSERT_EQ(list.count(), 2);
    OVEditorView& view = *window->editor();
    const ov::Point overlap{250, 200};
    EXPECT_GT(shownAt(view, overlap).blue(), 200);

    dropRow(list, 1, 0); // red on top
    ASSERT_TRUE(preset->watermarks()[1]->isEqualToWatermark(red));
    EXPECT_GT(shownAt(view, overlap).red(), 200);
    EXPECT_LT(shownAt(view, overlap).blue(), 60);
    window->undoStack()->undo();
    EXPECT_TRUE(preset->watermarks()[1]->isEqualToWatermark(blue));
    EXPECT_GT(shownAt(view, overlap).blue(), 200);

    list.item(0)->setCheckState(Qt::Unchecked); // hides the topmost: blue
    EXPECT_FALSE(preset->watermarkWithID(blue->uuid())->isVisible());
    EXPECT_GT(shownAt(view, overlap).red(), 200);
    window->undoStack()->redo();
    EXPECT_FALSE(preset->watermarkWithID(blue->uuid())->isVisible()) << "undo shows hidden marks";

    preset->enableEditingForWatermark(preset->watermarkWithID(red->uuid()));
    window->removeSelectedMark();
    ASSERT_EQ(preset->numberOfWatermarks(), 1u);
    EXPECT_EQ(list.count(), 1);
    window->undoStack()->undo();
    EXPECT_EQ(preset->numberOfWatermarks(), 2u);
    EXPECT_EQ(list.count(), 2);
    ASSERT_TRUE(preset->selectedWatermark());
    EXPECT_TRUE(preset->selectedWatermark()->isEqualToWatermark(red));
}

// The presets list: duplicate (with watermarks of their own), rename, choose for the selected
// images, add and remove (the last preset stays); then the images leave the list.
TEST_F(DesktopFlow, PresetListEditsAndAppliesToTheSelectedImages) {
    auto window = openWindow();
    window->addFiles(photos);
    PresetPanel& panel = *window->presetPanel();
    OVPresetManager& presets = *window->presetManager();
    const OVPresetPtr first = panel.currentPreset();
    ASSERT_TRUE(first);
    first->addWatermark(OVTextWatermark::textWatermark());

    panel.duplicatePreset();
    ASSERT_EQ(presets.count(), 2u);
    const OVPresetPtr copy = panel.currentPreset();
    ASSERT_NE(copy, first);
    ASSERT_EQ(copy->numberOfWatermarks(), 1u);
    EXPECT_NE(copy->watermarkAtIndex(0)->uuid(), first->watermarkAtIndex(0)->uuid());
    panel.list()->item(1)->setText("Trip");
    EXPECT_EQ(copy->name(), "Trip");

    window->imageList()->selectAll();
    panel.list()->setCurrentRow(0);
    for (const auto& entry : window->model()->modelObjects())
        EXPECT_EQ(entry->presetID(), first->uuid());
    EXPECT_EQ(window->currentPreset(), first);

    panel.addPreset();
    EXPECT_EQ(presets.count(), 3u);
    for (int i = 0; i < 3; ++i)
        panel.removePreset();
    ASSERT_EQ(presets.count(), 1u);
    EXPECT_EQ(window->currentPreset(), presets.firstPreset());

    window->imageList()->selectAll();
    window->removeSelectedImages();
    EXPECT_EQ(window->model()->count(), 0u);
    EXPECT_FALSE(window->editor()->hasImage());
}

// The summary after an export names each image that failed and why, and offers the folder.
TEST_F(DesktopFlow, ExportSummaryNamesEachFailure) {
    auto window = openWindow();
    window->addFiles({photos[0], photos[1]});
    fs::remove(photos[1]);
    QSignalSpy finished(window.get(), &MainWindow::exportFinished);
    window->exportImages(home / "out", nullptr);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(window->lastReport().outputs.size(), 1u);
    ASSERT_EQ(window->lastReport().failures.size(), 1u);
    auto* summary = window->findChild<QMessageBox*>("exportSummary");
    ASSERT_TRUE(summary);
    EXPECT_TRUE(summary->text().startsWith("1 image(s) exported")) << summary->text().toStdString();
    EXPECT_TRUE(summary->detailedText().startsWith("b.jpg: "))
        << summary->detailedText().toStdString();
    EXPECT_TRUE(summary->findChild<QPushButton*>("openFolder"));
}

// Removed by the view's context menu, an image watermark comes back by undo with its picture,
// even after another click in the view and a sweep of unused pictures.
TEST_F(DesktopFlow, ContextMenuRemovalUndoesWithItsPicture) {
    auto window = openWindow(std::chrono::milliseconds(0));
    window->addFiles({photos[0]});
    const OVPresetPtr preset = window->currentPreset();
    ASSERT_TRUE(preset);
    auto logo = OVImageWatermark::imageWatermark();
    ASSERT_TRUE(logo->setImageWithContentsOfFile(photos[1]));
    const fs::path picture = logo->imageURL();
    ASSERT_TRUE(fs::exists(picture));
    preset->setWatermarks({logo});
    preset->enableEditingForWatermark(logo);
    OVEditorView& view = *window->editor();
    const QPoint onLogo = onEditor(view, center(logo));

    QTimer::singleShot(50, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        menu->actions().front()->trigger();
        menu->close();
    });
    QTest::mouseClick(&view, Qt::RightButton, {}, onLogo);
    ASSERT_EQ(preset->numberOfWatermarks(), 0u);
    QTest::mouseClick(&view, Qt::LeftButton, {}, onEditor(view, {10, 10}));
    window->presetManager()->cleanupOrphanedPresetAssets();
    QTest::qWait(100);

    window->undoStack()->undo();
    ASSERT_EQ(preset->numberOfWatermarks(), 1u);
    EXPECT_TRUE(fs::exists(picture)) << "swept while an undo step uses it";
    window->undoStack()->redo();
    EXPECT_EQ(preset->numberOfWatermarks(), 0u);

    // The Delete key removes it as one step too.
    window->undoStack()->undo();
    preset->enableEditingForWatermark(preset->watermarkAtIndex(0));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Delete);
    QCoreApplication::processEvents();
    ASSERT_EQ(preset->numberOfWatermarks(), 0u);
    window->undoStack()->undo();
    EXPECT_EQ(preset->numberOfWatermarks(), 1u);
    EXPECT_TRUE(fs::exists(picture));
}

TEST(ExportNaming, PatternTextBecomesTokensAndAnExample) {
    struct Case {
        const char* text;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"{filename}-{increment}", {"filename", "-", "increment"}},
        {"trip {date}", {"trip ", "date"}},
        {"{unknown}{filename}", {"{unknown}", "filename"}},
        {"{filename", {"{filename"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(patternTokens(c.text), c.tokens) << c.text;

    ExportDialog dialog;
    EXPECT_EQ(dialog.exampleName(), "IMG_0042.jpg"); // source names
    dialog.usePatternBox()->setChecked(true);
    dialog.patternField()->setText("{filename}-{increment}");
    EXPECT_EQ(dialog.exampleName(), "IMG_0042-001.jpg");
}

} // namespace
