#include "MainWindow.h"

#include "AppSettings.h"
#include "ExportRun.h"
#include "ImageCollection.h"
#include "ImageList.h"
#include "Inspector.h"
#include "MarkEditing.h"
#include "MarkList.h"
#include "PresetPanel.h"

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/editor/OVEditorView.h"
#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/model/OVModel.h"
#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/presets/OVNotifications.h"
#include "inkstead/presets/OVPresetManager.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

/// The editor view's delegate: forwards to the window.
class MainWindow::EditorHost : public OVEditorViewDelegate {
public:
    explicit EditorHost(MainWindow* window) : window_(window) {}
    void presetShouldReloadWatermarks() override { window_->editing_->reload(); }
    void saveCurrentImageToDirectory(const std::filesystem::path& directory) override {
        window_->saveCurrentImageToDirectory(directory);
    }
    bool editorViewRemoveWatermark(const OVWatermarkPtr& watermark) override {
        window_->editing_->removeMark(watermark);
        return true;
    }
    void editorViewDragDestinationReceivedImages(
        const std::vector<std::filesystem::path>& files) override {
        window_->addFiles(files);
    }

private:
    MainWindow* window_;
};

MainWindow::MainWindow(std::chrono::nanoseconds pictureSweepDelay, QWidget* parent)
    : QMainWindow(parent), model_(std::make_shared<OVModel>()), settings_(appSettings()) {
    // The library's main queue (save timers, notifications) runs in Qt's event loop.
    ov::dispatch::setMainQueueExecutor(OVPostToMainThread);
    presets_ = std::make_shared<OVPresetManager>(pictureSweepDelay);
    exports_ = new ExportRun(this, model_, presets_);
    connect(exports_, &ExportRun::finished, this, [this](const QString& status) {
        statusBar()->showMessage(status, 8000);
        Q_EMIT exportFinished();
    });
    setWindowTitle("Inkstead");
    setWindowIcon(QIcon(":/inkstead-app.svg"));
    setAcceptDrops(true);

    toolbar_ = new MainToolbar(this);
    addToolBar(toolbar_);
    connect(toolbar_->openAction(), &QAction::triggered, this, &MainWindow::openFiles);
    connect(toolbar_->exportAction(), &QAction::triggered, this,
            [this] { exports_->choose(*settings_, images_->selectedRows()); });

    images_ = new ImageList;
    images_->setObjectName("imageList");
    collection_ = new ImageCollection(model_, *settings_, images_, this);
    editor_ = new OVEditorView;
    editor_->setObjectName("editorView");
    // A large photograph is decoded on a worker thread: the window never waits for it.
    editor_->setDecodesInBackground(true);
    host_ = std::make_shared<EditorHost>(this);
    editor_->setDelegate(host_);

    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(images_);
    split->addWidget(editor_);
    split->addWidget(buildSide());
    split->setStretchFactor(1, 1);
    split->setSizes({220, 720, 320});
    setCentralWidget(split);
    resize(1280, 800);

    editing_ = new MarkEditing(editor_, marks_, inspector_, toolbar_, *presets_, this);
    connect(editing_, &MarkEditing::message, statusBar(), &QStatusBar::showMessage);
    buildActions();
    observeLibrary();

    connect(images_, &QListWidget::currentRowChanged, this, &MainWindow::showImage);
    connect(images_, &ImageList::filesDropped, this, &MainWindow::addFiles);
    images_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(images_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        menu.addAction(tr("Remove from list"), this, &MainWindow::removeSelectedImages)
            ->setEnabled(!images_->selectedRows().empty());
        menu.exec(images_->viewport()->mapToGlobal(at));
    });
    connect(presetPanel_, &PresetPanel::presetChosen, this, &MainWindow::usePreset);

    // The image list and the preset of the last session.
    collection_->restore();
    OVPresetPtr last;
    if (const auto id = lastUsedPreset(*settings_))
        last = presets_->presetWithID(*id);
    presetPanel_->reload(last ? last : presets_->firstPreset());
    usePreset(presetPanel_->currentPreset());
    if (images_->count() > 0)
        images_->setCurrentRow(0);
}

MainWindow::~MainWindow() {
    for (const auto& token : observers_)
        ov::NotificationCenter::defaultCenter().removeObserver(token);
    presets_->waitForPendingSaves();
}

QWidget* MainWindow::buildSide() {
    presetPanel_ = new PresetPanel(presets_);
    marks_ = new MarkList;
    marks_->setObjectName("markList");
    inspector_ = new Inspector;
    auto* removeMark = new QPushButton(tr("Remove watermark"));
    connect(removeMark, &QPushButton::clicked, this, &MainWindow::removeSelectedMark);
    auto* marksBox = new QWidget;
    auto* marksLayout = new QVBoxLayout(marksBox);
    marksLayout->addWidget(new QLabel(tr("Watermarks")));
    marksLayout->addWidget(marks_);
    marksLayout->addWidget(removeMark);
    auto* inspectorScroll = new QScrollArea;
    inspectorScroll->setWidget(inspector_);
    inspectorScroll->setWidgetResizable(true);
    inspectorScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    inspectorScroll->setMinimumHeight(260);

    auto* side = new QSplitter(Qt::Vertical);
    side->addWidget(presetPanel_);
    side->addWidget(marksBox);
    side->addWidget(inspectorScroll);
    side->setSizes({340, 140, 320});
    return side;
}

void MainWindow::buildActions() {
    auto* undo = undoStack()->createUndoAction(this, tr("Undo"));
    undo->setShortcut(QKeySequence::Undo);
    auto* redo = undoStack()->createRedoAction(this, tr("Redo"));
    redo->setShortcut(QKeySequence::Redo);
    auto* remove = new QAction(tr("Delete"), this);
    remove->setShortcuts({QKeySequence::Delete, QKeySequence(Qt::Key_Backspace)});
    connect(remove, &QAction::triggered, this, [this] {
        if (images_->hasFocus())
            removeSelectedImages();
        else
            removeSelectedMark();
    });
    auto* selectAll = new QAction(tr("Select all images"), this);
    selectAll->setShortcut(QKeySequence::SelectAll);
    connect(selectAll, &QAction::triggered, images_, &QListWidget::selectAll);
    for (QAction* a : {undo, redo, remove, selectAll}) {
        a->setShortcutContext(Qt::WindowShortcut);
        QMainWindow::addAction(a);
    }
}

void MainWindow::observeLibrary() {
    auto& center = ov::NotificationCenter::defaultCenter();
    observers_.push_back(center.addObserver(kOVPresetShouldSave,
                                            [this](const ov::Notification&) { savePresets(); }));
    observers_.push_back(center.addObserver(
        kOVPresetChanged, [this](const ov::Notification&) { editing_->reload(); }));
    observers_.push_back(
        center.addObserver(kOVWatermarkInsertionEnded,
                           [this](const ov::Notification&) { editing_->insertionEnded(); }));
}

OVPresetPtr MainWindow::currentPreset() const {
    return editor_->preset();
}

QUndoStack* MainWindow::undoStack() const {
    return editing_->undoStack();
}

void MainWindow::beginInsertion(AddKind kind, const std::filesystem::path& picture) {
    editing_->beginInsertion(kind, picture);
}

void MainWindow::removeSelectedMark() {
    editing_->removeSelectedMark();
}

void MainWindow::openFiles() {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Add images"), {},
        tr("Images (*.jpg *.jpeg *.png *.tif *.tiff *.webp *.heic *.heif)"));
    std::vector<std::filesystem::path> paths;
    for (const QString& f : files)
        paths.emplace_back(f.toStdString());
    if (!paths.empty())
        addFiles(paths);
}

void MainWindow::addFiles(const std::vector<std::filesystem::path>& files) {
    const auto preset = presetPanel_->currentPreset();
    statusBar()->showMessage(
        collection_->add(files, preset ? std::optional(preset->uuid()) : std::nullopt), 5000);
}

void MainWindow::showImage(int row) {
    currentRow_ = row;
    const auto entry = row >= 0 ? model_->objectAtIndex(static_cast<std::size_t>(row)) : nullptr;
    if (!entry) {
        editor_->setSource(nullptr);
        editor_->update();
        return;
    }
    OVPresetPtr preset = entry->presetID() ? presets_->presetWithID(*entry->presetID()) : nullptr;
    if (!preset) {
        preset = presetPanel_->currentPreset();
        if (preset)
            entry->setPresetID(preset->uuid());
    }
    presetPanel_->reload(preset);
    editor_->setPreset(preset);
    editing_->setPreset(preset);
    const auto url = entry->url();
    editor_->setSource(url ? ov::ImageSource::createWithURL(*url) : nullptr);
    editing_->reload();
}

void MainWindow::usePreset(const OVPresetPtr& preset) {
    if (!preset)
        return;
    collection_->applyPreset(preset->uuid(), currentRow_);
    setLastUsedPreset(*settings_, preset->uuid());
    if (preset != editor_->preset()) {
        if (auto old = editor_->preset(); old && old->insertionModeEnabled())
            old->cancelWatermarkInsert();
        editor_->setPreset(preset);
        editing_->setPreset(preset);
    }
    editor_->windowDidResize(); // the export size may have changed
    editing_->reload();
}

void MainWindow::savePresets() {
    // The write runs in the background; its outcome is looked at once it is known.
    auto outcome = presets_->savePresets();
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this, poll, outcome] {
        if (outcome.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        poll->deleteLater();
        poll->stop();
        if (const auto& result = outcome.get(); !result)
            statusBar()->showMessage(tr("The presets could not be saved: %1")
                                         .arg(QString::fromStdString(result.error().message)));
    });
    poll->start(100);
}

void MainWindow::removeSelectedImages() {
    if (collection_->removeSelected() < 0)
        showImage(-1);
}

void MainWindow::exportImages(const std::filesystem::path& folder,
                              std::shared_ptr<OVFilenamePattern> pattern,
                              std::vector<std::size_t> indexes) {
    exports_->start(folder, std::move(pattern), std::move(indexes));
}

bool MainWindow::isExporting() const {
    return exports_->isRunning();
}

const OVSaveReport& MainWindow::lastReport() const {
    return exports_->lastReport();
}

void MainWindow::saveCurrentImageToDirectory(const std::filesystem::path& directory) {
    const auto entry =
        currentRow_ >= 0 ? model_->objectAtIndex(static_cast<std::size_t>(currentRow_)) : nullptr;
    if (!entry)
        return;
    if (const QString error = exports_->saveCopy(*entry, directory); !error.isEmpty())
        statusBar()->showMessage(error, 8000);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const auto files = droppedFiles(event->mimeData());
    if (files.empty())
        return;
    event->acceptProposedAction();
    addFiles(files);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (auto preset = currentPreset(); preset && preset->insertionModeEnabled())
        preset->cancelWatermarkInsert();
    collection_->save();
    presets_->savePresets();
    presets_->waitForPendingSaves();
    QMainWindow::closeEvent(event);
}
