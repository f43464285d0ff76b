#pragma once

#include "MainToolbar.h"
#include "MarkHistory.h"

#include <QObject>

#include <filesystem>
#include <memory>

class Inspector;
class MarkList;
class OVEditorView;
class OVPresetManager;
class QUndoStack;

/// Everything that edits the watermarks of the editor view's preset, each edit one undoable
/// step: gestures in the view (framed from press to release, key by key), insertion from the
/// toolbar, removal, the inspector's changes and the watermark list's selection, visibility and
/// stacking. Pictures of removed image watermarks stay on disk while a step can restore them.
class MarkEditing : public QObject {
    Q_OBJECT

public:
    MarkEditing(OVEditorView* editor, MarkList* marks, Inspector* inspector, MainToolbar* toolbar,
                OVPresetManager& presets, QObject* parent);
    ~MarkEditing() override;

    [[nodiscard]] QUndoStack* undoStack() const { return undo_; }
    /// Steps belong to one preset: call when the view shows another (clears the steps).
    void setPreset(const OVPresetPtr& preset);
    /// Rebuilds the watermark list and the inspector from the preset, and redraws.
    void reload();

    /// Puts the preset into insertion mode for a new watermark of `kind` (a second press of the
    /// same button ends it). An image watermark asks for its picture first, unless `picture`
    /// is given.
    void beginInsertion(AddKind kind, const std::filesystem::path& picture = {});
    /// The preset left insertion mode.
    void insertionEnded();
    void removeSelectedMark();
    /// Removes `mark` from the preset as one step.
    void removeMark(const OVWatermarkPtr& mark);

Q_SIGNALS:
    /// Words for the status bar.
    void message(const QString& text, int milliseconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectLists();
    [[nodiscard]] OVPresetPtr preset() const;

    OVEditorView* editor_;
    MarkList* marks_;
    Inspector* inspector_;
    MainToolbar* toolbar_;
    QUndoStack* undo_;
    std::unique_ptr<MarkHistory> history_;
    std::shared_ptr<void> pictureReferences_;
};
