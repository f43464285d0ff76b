#include "inkstead/appearance/OVSaveProgressController.h"
#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVStyleKit.h"

#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/export/OVSaveManager.h"
#include "inkstead/export/OVSaveProgress.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "support/GeneratedPhotos.h"
#include "support/SaveSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <condition_variable>
#include <mutex>

namespace fs = std::filesystem;
using namespace ov::test;

namespace {

// A batch of generated photographs rendered through the real pipeline with a square mark,
// whose sheet is shown on a host window. Each image may be held back at its preset lookup.
struct SheetBatch {
    TempDir dir;
    QWidget host;
    std::shared_ptr<PathImageList> list = std::make_shared<PathImageList>(std::vector<fs::path>{});
    std::shared_ptr<OVPreset> preset = std::make_shared<OVPreset>("Marked");
    std::shared_ptr<OVSaveProgressController> sheet = std::make_shared<OVSaveProgressController>();
    std::shared_ptr<OVSaveManager> manager;

    std::mutex mutex;
    std::condition_variable released;
    bool holding = false;
    int completions = 0;
    OVSaveReport report;

    explicit SheetBatch(int images) {
        fs::create_directories(dir / "out");
        for (int i = 0; i < images; ++i) {
            list->files.push_back(dir / ("photo" + std::to_string(i) + ".jpg"));
            writeOrientedPhoto(list->files.back(), 96, 64, 1);
        }
        preset->addWatermark(OVShapeWatermark::squareShapeWatermark());
        manager = std::make_shared<OVSaveManager>(dir / "out");
        manager->setModel(list);
        manager->setRenderer(std::make_shared<OVPipelineRenderer>([this](const std::string&) {
            std::unique_lock lock(mutex);
            released.wait(lock, [this] { return !holding; });
            return preset;
        }));
        manager->setProgressWindowController(sheet);
        manager->setMainQueueExecutor(OVPostToMainThread);
        host.resize(400, 300);
        host.show();
    }
    ~SheetBatch() {
        release();
        manager->waitUntilFinished();
        QCoreApplication::processEvents();
    }

    void hold() {
        std::lock_guard lock(mutex);
        holding = true;
    }
    void release() {
        {
            std::lock_guard lock(mutex);
            holding = false;
        }
        released.notify_all();
    }
    void start() {
        manager->beginSheetModalForWindow(OVSaveProgressController::hostWindow(&host),
                                          indexesBelow(list->files.size()),
                                          [this](bool, const OVSaveReport& r) {
                                              ++completions;
                                              report = r;
                                          });
    }
};

TEST(OVSaveProgressController, FollowsABatchAndClosesWhenItEnds) {
    SheetBatch batch(5);
    QDialog* window = batch.sheet->window();
    std::vector<int> values;
    std::vector<QString> counts;
    bool modalOnHost = false;
    QObject::connect(batch.sheet->progressIndicator(), &QProgressBar::valueChanged, [&](int v) {
        values.push_back(v);
        counts.push_back(batch.sheet->progressCountLabel()->text());
        modalOnHost = window->isVisible() && window->windowModality() == Qt::WindowModal &&
                      window->parentWidget() == &batch.host;
    });

    batch.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return batch.completions > 0; }, 30000));
    QTest::qWait(50);
    EXPECT_EQ(batch.completions, 1);
    EXPECT_EQ(batch.report.outputs.size(), 5u);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(modalOnHost);

    ASSERT_EQ(values.size(), 5u);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(counts.front(), "1 of 5");
    EXPECT_EQ(counts.back(), "5 of 5");
    EXPECT_DOUBLE_EQ(batch.sheet->progressValue(), 1.0);
    EXPECT_TRUE(batch.sheet->progressFileLabel()->text().startsWith("Saving photo"));
    // Styled in the theme.
    EXPECT_EQ(window->palette().color(QPalette::Window),
              OVQColor(OVStyleKit::presetVCBackgroundColor()));
    EXPECT_EQ(batch.sheet->progressCountLabel()->palette().color(QPalette::WindowText),
              OVQColor(OVStyleKit::presetVCPrimaryTextColor()));
}

TEST(OVSaveProgressController, CancelStopsTheBatchAndEndsTheSheetAtOnce) {
    SheetBatch batch(6);
    batch.manager->setMaximumConcurrentImages(1);
    batch.hold();
    batch.start();
    QDialog* window = batch.sheet->window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 10000));

    QTest::mouseClick(batch.sheet->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(batch.manager->progress()->isCancelled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 10000))
        << "the sheet ends while the running image is still held";
    EXPECT_EQ(batch.completions, 0) << "the completion waits for the running image";

    batch.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return batch.completions > 0; }, 30000));
    QTest::qWait(50);
    EXPECT_EQ(batch.completions, 1);
    EXPECT_TRUE(batch.report.cancelled);
    EXPECT_LE(batch.report.outputs.size(), 1u);
    EXPECT_GE(batch.report.notStarted, 5u);
}

TEST(OVSaveProgressController, EscapeAsksToCancelInsteadOfClosing) {
    struct Delegate : OVSaveProgressDelegate {
        int cancels = 0;
        void cancelProgress() override { ++cancels; }
    };
    auto delegate = std::make_shared<Delegate>();
    OVSaveProgressController sheet;
    sheet.setDelegate(delegate);
    QWidget host;
    host.show();
    sheet.beginSheetModalForWindow(OVSaveProgressController::hostWindow(&host));
    QTest::keyClick(sheet.window(), Qt::Key_Escape);
    EXPECT_EQ(delegate->cancels, 1);
    EXPECT_TRUE(sheet.window()->isVisible()) << "only the save manager ends the sheet";
    sheet.endSheet(nullptr);
    EXPECT_FALSE(sheet.window()->isVisible());
}

} // namespace
