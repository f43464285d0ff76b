#include "MarkEditing.h"

#include "Inspector.h"
#include "MarkList.h"

#include "inkstead/editor/OVEditorView.h"
#include "inkstead/presets/OVPresetManager.h"
#include "inkstead/watermarks/OVImageWatermark.h"

#include <QAction>
#include <QFileDialog>
#include <QKeyEvent>
#include <QTimer>
#include <QUndoStack>

namespace {

// The merge ids of undo steps that follow each other and read as one: nudges with the arrow
// keys, and changes of one property of one watermark (typing, a colour chooser's colours).
constexpr int kNudgeMerge = 1;

int propertyMergeId(std::string_view key, const ov::UUID& mark) {
    const std::string id = std::string(key) + mark.uuidString();
    return 2 + static_cast<int>(qHash(QByteArray(id.data(), static_cast<qsizetype>(id.size()))) %
                                0x3fffffff);
}

QString pictureFilter() {
    return QObject::tr("Images (*.jpg *.jpeg *.png *.tif *.tiff *.webp *.heic *.heif)");
}

} // namespace

MarkEditing::MarkEditing(OVEditorView* editor, MarkList* marks, Inspector* inspector,
                         MainToolbar* toolbar, OVPresetManager& presets, QObject* parent)
    : QObject(parent), editor_(editor), marks_(marks), inspector_(inspector), toolbar_(toolbar),
      undo_(new QUndoStack(this)), history_(std::make_unique<MarkHistory>(undo_)) {
    history_->setRestoredHandler([this] {
        reload();
        editor_->cacheOriginalImageSize();
    });
    // Pictures of removed image watermarks stay on disk while an undo step can restore them.
    pictureReferences_ = presets.addPictureReferences([this] { return history_->picturesInUse(); });
    editor_->installEventFilter(this);
    connect(toolbar_, &MainToolbar::addRequested, this,
            [this](AddKind kind) { beginInsertion(kind); });
    connectLists();
}

MarkEditing::~MarkEditing() = default;

OVPresetPtr MarkEditing::preset() const {
    return editor_->preset();
}

void MarkEditing::setPreset(const OVPresetPtr& preset) {
    history_->setPreset(preset);
}

void MarkEditing::connectLists() {
    connect(marks_, &MarkList::markSelected, this, [this](const OVWatermarkPtr& mark) {
        if (auto p = preset()) {
            p->enableEditingForWatermark(mark);
            inspector_->setWatermark(mark);
            editor_->update();
        }
    });
    connect(marks_, &MarkList::markVisibilityChanged, this,
            [this](const OVWatermarkPtr& mark, bool visible) {
                if (mark)
                    mark->setVisible(visible);
                editor_->update();
            });
    connect(marks_, &MarkList::marksReordered, this,
            [this](const std::vector<OVWatermarkPtr>& order) {
                if (auto p = preset())
                    history_->record(tr("Change stacking"), [&] {
                        p->setWatermarks(order);
                        p->setShouldSave(true);
                    });
                reload();
            });
    inspector_->setEditHandler([this](const OVWatermarkProperty& property,
                                      const OVPropertyValue& value) {
        const auto mark = inspector_->watermark();
        if (!mark)
            return;
        const QString label =
            QString::fromUtf8(property.label.data(), static_cast<qsizetype>(property.label.size()));
        history_->record(
            tr("Change %1").arg(label.toLower()),
            [&] {
                property.set(*mark, value);
                mark->setShouldSave(true);
            },
            propertyMergeId(property.key, mark->uuid()));
        editor_->cacheOriginalImageSize();
        editor_->update();
        marks_->reload(preset());
        inspector_->refresh(); // rows that follow the changed one (units, placement)
    });
}

void MarkEditing::reload() {
    const auto p = preset();
    marks_->reload(p);
    inspector_->setWatermark(p ? p->selectedWatermark() : nullptr);
    editor_->update();
}

void MarkEditing::beginInsertion(AddKind kind, const std::filesystem::path& picture) {
    const auto p = preset();
    QAction* action = toolbar_->addAction(kind);
    if (!p || !editor_->hasImage()) {
        action->setChecked(false);
        Q_EMIT message(tr("Open an image first"), 3000);
        return;
    }
    if (p->insertionModeEnabled()) {
        p->cancelWatermarkInsert(); // ends with "insertion-ended", which resets the buttons
        if (!action->isChecked())
            return; // the same button again: insertion ends
    }
    auto mark = makeWatermark(kind);
    if (kind == AddKind::image) {
        std::filesystem::path file = picture;
        if (file.empty())
            file = QFileDialog::getOpenFileName(editor_->window(), tr("Choose a picture"), {},
                                                pictureFilter())
                       .toStdString();
        if (file.empty()) {
            action->setChecked(false);
            return;
        }
        auto* image = static_cast<OVImageWatermark*>(mark.get());
        if (const auto stored = image->setImageWithContentsOfFile(file); !stored) {
            action->setChecked(false);
            Q_EMIT message(tr("Cannot use %1 as a picture: %2")
                               .arg(QString::fromStdString(file.string()),
                                    QString::fromStdString(stored.error().message)),
                           5000);
            return;
        }
    }
    toolbar_->showInsertion(kind);
    p->enableInsertionForWatermark(mark);
    editor_->setFocus();
}

void MarkEditing::insertionEnded() {
    toolbar_->endInsertion();
    reload();
}

void MarkEditing::removeSelectedMark() {
    const auto p = preset();
    removeMark(p ? p->selectedWatermark() : nullptr);
}

void MarkEditing::removeMark(const OVWatermarkPtr& mark) {
    const auto p = preset();
    if (!p || !mark)
        return;
    // The list without it; the picture of an image watermark stays on disk for undo (the
    // preset manager sweeps pictures that neither a preset nor an undo step uses).
    history_->record(tr("Remove watermark"), [&] {
        auto list = p->watermarks();
        std::erase_if(list, [&](const OVWatermarkPtr& w) { return w == mark; });
        p->setWatermarks(std::move(list));
        p->setShouldSave(true);
    });
    reload();
}

bool MarkEditing::eventFilter(QObject* watched, QEvent* event) {
    if (watched != editor_)
        return false;
    // Each gesture in the view is one undoable step, recorded once the view has handled the
    // event.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        history_->begin();
        break;
    case QEvent::MouseButtonRelease:
        QTimer::singleShot(0, this, [this] {
            history_->commit(tr("Edit watermark"));
            reload();
        });
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        history_->begin();
        const bool nudge =
            key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
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
    return false;
}
