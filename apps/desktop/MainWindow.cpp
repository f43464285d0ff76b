#include "MainWindow.h"

#include "AppSettings.h"
#include "ExportDialog.h"
#include "ExportRun.h"
#include "ImageList.h"
#include "Inspector.h"
#include "MarkList.h"
#include "PresetPanel.h"

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVStyleKit.h"
#include "inkstead/editor/OVEditorView.h"
#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/export/OVUniqueFilename.h"
#include "inkstead/model/OVModel.h"
#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/presets/OVNotifications.h"
#include "inkstead/presets/OVPresetManager.h"
#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

using Icon = OVStyleKit::Icon;

struct AddButton {
    MainWindow::AddKind kind;
    Icon plain;
    Icon highlighted;
    const char* tip;
};

constexpr AddButton kAddButtons[] = {
    {MainWindow::AddKind::image, Icon::addImageWatermarkButton,
     Icon::addImageWatermarkButtonHighlighted, "Add an image"},
    {MainWindow::AddKind::circle, Icon::addCircleWatermarkButton,
     Icon::addCircleWatermarkButtonHighlighted, "Add a circle"},
    {MainWindow::AddKind::text, Icon::addTextWatermarkButton,
     Icon::addTextWatermarkButtonHighlighted, "Add a text"},
    {MainWindow::AddKind::strike, Icon::addStrikeWatermarkButton,
     Icon::addStrikeWatermarkButtonHighlighted, "Strike through"},
    {MainWindow::AddKind::arrow, Icon::addArrowWatermarkButton,
     Icon::addArrowWatermarkButtonHighlighted, "Add an arrow"},
    {MainWindow::AddKind::square, Icon::addSquareWatermarkButton,
     Icon::addSquareWatermarkButtonHighlighted, "Add a square"},
    {MainWindow::AddKind::pixellate, Icon::addPixellatedWatermarkButton,
     Icon::addPixellatedWatermarkButtonHighlighted, "Pixellate an area"},
};

OVWatermarkPtr makeWatermark(MainWindow::AddKind kind) {
    switch (kind) {
    case MainWindow::AddKind::image:
        return OVImageWatermark::imageWatermark();
    case MainWindow::AddKind::circle:
        return OVShapeWatermark::circleShapeWatermark();
    case MainWindow::AddKind::text:
        return OVTextWatermark::textWatermark();
    case MainWindow::AddKind::strike:
        return OVStrikethroughWatermark::strikethroughWatermark();
    case MainWindow::AddKind::arrow:
        return OVArrowWatermark::arrowWatermark();
    case MainWindow::AddKind::square:
        return OVShapeWatermark::squareShapeWatermark();
    case MainWindow::AddKind::pixellate:
        return OVPixellateWatermark::pixellateWatermark();
    }
    return nullptr;
}

QString imageFilter() {
    return QObject::tr("Images (*.jpg *.jpeg *.png *.tif *.tiff *.webp *.heic *.heif)");
}

// The merge ids of undo steps that follow each other and read as one: nudges with the arrow
// keys, and changes of one property of one watermark (typing, a colour chooser's colours).
constexpr int kNudgeMerge = 1;

int propertyMergeId(std::string_view key, const ov::UUID& mark) {
    const std::string id = std::string(key) + mark.uuidString();
    return 2 + static_cast<int>(qHash(QByteArray(id.data(), static_cast<qsizetype>(id.size()))) %
                                0x3fffffff);
}

} // namespace

/// The editor view's delegate: forwards to the window.
class MainWindow::EditorHost : public OVEditorViewDelegate {
public:
    explicit EditorHost(MainWindow* window) : window_(window) {}
    void presetShouldReloadWatermarks() override { window_->reloadMarks(); }
    void saveCurrentImageToDirectory(const std::filesystem::path& directory) override {
        window_->saveCurrentImageToDirectory(directory);
    }
    void editorViewDragDestinationReceivedImages(
        const std::vector<std::filesystem::path>& files) override {
        window_->addFiles(files);
    }

private:
    MainWindow* window_;
};

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), model_(std::make_shared<OVModel>()), settings_(appSettings()) {
    // The library's main queue (save timers, notifications) runs in Qt's event loop.
    ov::dispatch::setMainQueueExecutor(OVPostToMainThread);
    presets_ = std::make_shared<OVPresetManager>();
    exports_ = new ExportRun(this, model_, presets_);
    connect(exports_, &ExportRun::finished, this, [this](const QString& status) {
        statusBar()->showMessage(status, 8000);
        Q_EMIT exportFinished();
    });
    setWindowTitle("Inkstead");
    setWindowIcon(QIcon(":/inkstead-app.svg"));
    setAcceptDrops(true);

    undo_ = new QUndoStack(this);
    history_ = std::make_unique<MarkHistory>(undo_);
    history_->setRestoredHandler([this] {
        reloadMarks();
        editor_->cacheOriginalImageSize();
    });

    images_ = new ImageList;
    images_->setObjectName("imageList");
    editor_ = new OVEditorView;
    editor_->setObjectName("editorView");
    editor_->installEventFilter(this);
    host_ = std::make_shared<EditorHost>(this);
    editor_->setDelegate(host_);

    presetPanel_ = new PresetPanel(presets_);
    marks_ = new MarkList;
    marks_->setObjectName("markList");
    inspector_ = new Inspector;
    auto* removeMark = new QPushButton(tr("Remove watermark"));
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
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(images_);
    split->addWidget(editor_);
    split->addWidget(side);
    split->setStretchFactor(1, 1);
    split->setSizes({220, 720, 320});
    setCentralWidget(split);
    resize(1280, 800);

    buildToolbar();
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
    connect(removeMark, &QPushButton::clicked, this, &MainWindow::removeSelectedMark);
    connect(marks_, &MarkList::markSelected, this, [this](const OVWatermarkPtr& mark) {
        if (auto preset = currentPreset()) {
            preset->enableEditingForWatermark(mark);
            inspector_->setWatermark(mark);
            redraw();
        }
    });
    connect(marks_, &MarkList::markVisibilityChanged, this,
            [this](const OVWatermarkPtr& mark, bool visible) {
                if (mark)
                    mark->setVisible(visible);
                redraw();
            });
    connect(marks_, &MarkList::marksReordered, this,
            [this](const std::vector<OVWatermarkPtr>& order) {
                if (auto preset = currentPreset())
                    history_->record(tr("Change stacking"), [&] {
                        preset->setWatermarks(order);
                        preset->setShouldSave(true);
                    });
                reloadMarks();
            });
    inspector_->setEditHandler(
        [this](const OVWatermarkProperty& property, const OVPropertyValue& value) {
            const auto mark = inspector_->watermark();
            if (!mark)
                return;
            const int merge = propertyMergeId(property.key, mark->uuid());
            history_->record(
                tr("Change %1")
                    .arg(QString::fromUtf8(property.label.data(),
                                           static_cast<qsizetype>(property.label.size()))
                             .toLower()),
                [&] {
                    property.set(*mark, value);
                    mark->setShouldSave(true);
                },
                merge);
            editor_->cacheOriginalImageSize();
            redraw();
            marks_->reload(currentPreset());
        });

    // The image list and the preset of the last session.
    model_->setModelObjects(loadImageList(*settings_));
    OVPresetPtr last;
    if (const auto id = lastUsedPreset(*settings_))
        last = presets_->presetWithID(*id);
    presetPanel_->reload(last ? last : presets_->firstPreset());
    usePreset(presetPanel_->currentPreset());
    images_->reload(*model_);
    if (images_->count() > 0)
        images_->setCurrentRow(0);
}

MainWindow::~MainWindow() {
    for (const auto& token : observers_)
        ov::NotificationCenter::defaultCenter().removeObserver(token);
    presets_->waitForPendingSaves();
}

void MainWindow::buildToolbar() {
    auto* bar = addToolBar(tr("Tools"));
    bar->setObjectName("toolbar");
    bar->setMovable(false);
    bar->setIconSize(QSize(32, 32));
    auto* open = bar->addAction(OVStyleKit::imageOfOpenButton(), tr("Open…"));
    open->setShortcut(QKeySequence::Open);
    open->setObjectName("openAction");
    connect(open, &QAction::triggered, this, [this] {
        const QStringList files =
            QFileDialog::getOpenFileNames(this, tr("Add images"), {}, imageFilter());
        std::vector<std::filesystem::path> paths;
        for (const QString& f : files)
            paths.emplace_back(f.toStdString());
        if (!paths.empty())
            addFiles(paths);
    });
    auto* exportAction = bar->addAction(OVStyleKit::imageOfShareButton(), tr("Export…"));
    exportAction->setShortcut(QKeySequence(tr("Ctrl+E")));
    exportAction->setObjectName("exportAction");
    connect(exportAction, &QAction::triggered, this, &MainWindow::chooseExport);
    bar->addSeparator();
    for (const auto& button : kAddButtons) {
        auto* action = bar->addAction(OVStyleKit::qIcon(button.plain), tr(button.tip));
        action->setCheckable(true);
        const AddKind kind = button.kind;
        connect(action, &QAction::triggered, this, [this, kind] { beginInsertion(kind); });
        connect(action, &QAction::toggled, this, [action, button](bool on) {
            action->setIcon(OVStyleKit::qIcon(on ? button.highlighted : button.plain));
        });
        addActions_[kind] = action;
    }
}

void MainWindow::buildActions() {
    auto* undo = undo_->createUndoAction(this, tr("Undo"));
    undo->setShortcut(QKeySequence::Undo);
    auto* redo = undo_->createRedoAction(this, tr("Redo"));
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
    observers_.push_back(
        center.addObserver(kOVPresetChanged, [this](const ov::Notification&) { reloadMarks(); }));
    observers_.push_back(center.addObserver(kOVWatermarkInsertionEnded,
                                            [this](const ov::Notification&) { insertionEnded(); }));
}

OVPresetPtr MainWindow::currentPreset() const {
    return editor_->preset();
}

void MainWindow::addFiles(const std::vector<std::filesystem::path>& files) {
    const std::size_t before = model_->count();
    const auto preset = presetPanel_->currentPreset();
    std::vector<OVUnreadableFolder> unreadable;
    for (const auto& file : files)
        model_->addURL(std::filesystem::absolute(file),
                       preset ? std::optional(preset->uuid()) : std::nullopt, &unreadable);
    images_->reload(*model_);
    saveImageList();
    if (model_->count() > before)
        images_->setCurrentRow(static_cast<int>(before));
    QString message = tr("%n image(s) added", nullptr, static_cast<int>(model_->count() - before));
    for (const auto& folder : unreadable)
        message += tr("; cannot read %1: %2")
                       .arg(QString::fromStdString(folder.folder.string()),
                            QString::fromStdString(folder.error.message()));
    statusBar()->showMessage(message, 5000);
}

void MainWindow::showImage(int row) {
    currentRow_ = row;
    const auto entry = row >= 0 ? model_->objectAtIndex(static_cast<std::size_t>(row)) : nullptr;
    if (!entry) {
        editor_->setSource(nullptr);
        redraw();
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
    history_->setPreset(preset);
    const auto url = entry->url();
    editor_->setSource(url ? ov::ImageSource::createWithURL(*url) : nullptr);
    reloadMarks();
}

void MainWindow::usePreset(const OVPresetPtr& preset) {
    if (!preset)
        return;
    for (std::size_t index : images_->selectedRows())
        if (auto entry = model_->objectAtIndex(index))
            entry->setPresetID(preset->uuid());
    if (currentRow_ >= 0)
        if (auto entry = model_->objectAtIndex(static_cast<std::size_t>(currentRow_)))
            entry->setPresetID(preset->uuid());
    setLastUsedPreset(*settings_, preset->uuid());
    if (preset != editor_->preset()) {
        if (auto old = editor_->preset(); old && old->insertionModeEnabled())
            old->cancelWatermarkInsert();
        editor_->setPreset(preset);
        history_->setPreset(preset);
    }
    editor_->windowDidResize(); // the export size may have changed
    saveImageList();
    reloadMarks();
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

void MainWindow::reloadMarks() {
    const auto preset = currentPreset();
    marks_->reload(preset);
    inspector_->setWatermark(preset ? preset->selectedWatermark() : nullptr);
    redraw();
}

void MainWindow::redraw() {
    editor_->update();
}

void MainWindow::beginInsertion(AddKind kind, const std::filesystem::path& picture) {
    const auto preset = currentPreset();
    QAction* action = addActions_.at(kind);
    if (!preset || !editor_->hasImage()) {
        action->setChecked(false);
        statusBar()->showMessage(tr("Open an image first"), 3000);
        return;
    }
    if (preset->insertionModeEnabled()) {
        preset->cancelWatermarkInsert(); // ends with "insertion-ended", which resets the buttons
        if (!action->isChecked())
            return; // the same button again: insertion ends
    }
    auto mark = makeWatermark(kind);
    if (kind == AddKind::image) {
        std::filesystem::path file = picture;
        if (file.empty())
            file = QFileDialog::getOpenFileName(this, tr("Choose a picture"), {}, imageFilter())
                       .toStdString();
        if (file.empty()) {
            action->setChecked(false);
            return;
        }
        auto* image = static_cast<OVImageWatermark*>(mark.get());
        if (const auto stored = image->setImageWithContentsOfFile(file); !stored) {
            action->setChecked(false);
            statusBar()->showMessage(tr("Cannot use %1 as a picture: %2")
                                         .arg(QString::fromStdString(file.string()),
                                              QString::fromStdString(stored.error().message)),
                                     5000);
            return;
        }
    }
    for (auto& [k, a] : addActions_)
        a->setChecked(k == kind);
    preset->enableInsertionForWatermark(mark);
    editor_->setFocus();
}

void MainWindow::insertionEnded() {
    for (auto& [kind, action] : addActions_)
        action->setChecked(false);
    reloadMarks();
}

void MainWindow::removeSelectedMark() {
    const auto preset = currentPreset();
    const auto mark = preset ? preset->selectedWatermark() : nullptr;
    if (!mark)
        return;
    // The list without it; the picture of an image watermark stays on disk for undo (the
    // preset manager sweeps pictures no preset uses).
    history_->record(tr("Remove watermark"), [&] {
        auto list = preset->watermarks();
        std::erase_if(list, [&](const OVWatermarkPtr& w) { return w == mark; });
        preset->setWatermarks(std::move(list));
        preset->setShouldSave(true);
    });
    reloadMarks();
}

void MainWindow::removeSelectedImages() {
    const auto rows = images_->selectedRows();
    if (rows.empty())
        return;
    model_->removeObjectsAtIndexes(std::set<std::size_t>(rows.begin(), rows.end()));
    images_->reload(*model_);
    saveImageList();
    const int next = std::min(static_cast<int>(rows.front()), images_->count() - 1);
    images_->setCurrentRow(next);
    if (next < 0)
        showImage(-1);
}

void MainWindow::saveImageList() {
    ::saveImageList(*model_, *settings_);
    settings_->sync();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        // Each gesture in the view is one undoable step, recorded once the view has handled
        // the event.
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            history_->begin();
            break;
        case QEvent::MouseButtonRelease:
            QTimer::singleShot(0, this, [this] {
                history_->commit(tr("Edit watermark"));
                reloadMarks();
            });
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            history_->begin();
            const bool nudge = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                               key == Qt::Key_Down;
            QTimer::singleShot(0, this, [this, nudge] {
                history_->commit(nudge ? tr("Move watermark") : tr("Edit watermark"),
                                 nudge ? kNudgeMerge : -1);
                inspector_->refresh();
            });
            break;
        }
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::chooseExport() {
    if (model_->count() == 0 || isExporting())
        return;
    ExportDialog dialog(this);
    dialog.setFolder(settings_->value("exportFolder").toString());
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings_->setValue("exportFolder", QString::fromStdString(dialog.folder().string()));
    exportImages(dialog.folder(), dialog.pattern(), images_->selectedRows());
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
    if (currentRow_ < 0)
        return;
    const auto entry = model_->objectAtIndex(static_cast<std::size_t>(currentRow_));
    const auto url = entry ? entry->url() : std::nullopt;
    if (!url)
        return;
    const auto renderer = OVPipelineRenderer::rendererWithPresetManager(presets_);
    const auto destination = URLWithValidFilename(directory, url->filename().string());
    const std::string error = renderer->saveImage(
        *url, entry->presetID() ? entry->presetID()->uuidString() : std::string(), destination);
    if (!error.empty())
        statusBar()->showMessage(QString::fromStdString(url->filename().string() + ": " + error),
                                 8000);
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
    saveImageList();
    presets_->savePresets();
    presets_->waitForPendingSaves();
    QMainWindow::closeEvent(event);
}
