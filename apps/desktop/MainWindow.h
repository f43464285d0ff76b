#pragma once

#include "MarkHistory.h"
#include "inkstead/platform/notify/NotificationCenter.h"

#include <QMainWindow>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

class ExportRun;
class ImageList;
class OVModel;
class OVPresetManager;
class Inspector;
class MarkList;
class OVEditorView;
class PresetPanel;
class QAction;
class QSettings;
class QUndoStack;
struct OVSaveReport;

/// The application window: the image list on the left, the editor view in the middle with the
/// toolbar above it, and the presets, the watermark list and the inspector on the right.
///
/// It owns the preset manager and the image list. Edits reach the presets file only through
/// each preset's save timer: the window answers "preset-should-save" by saving the list.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    /// The kinds of the "add" buttons, in toolbar order.
    enum class AddKind { image, circle, text, strike, arrow, square, pixellate };

    /// `pictureSweepDelay`: when the preset manager first sweeps unused watermark pictures.
    explicit MainWindow(std::chrono::nanoseconds pictureSweepDelay = std::chrono::seconds(5),
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Adds files and folders to the image list with the current preset and shows the first new
    /// one. Unreadable folders are named in the status bar.
    void addFiles(const std::vector<std::filesystem::path>& files);
    /// Exports `indexes` (all images when empty) into `folder` named by `pattern` (null: source
    /// names); returns at once, the progress sheet shows the batch.
    void exportImages(const std::filesystem::path& folder,
                      std::shared_ptr<class OVFilenamePattern> pattern,
                      std::vector<std::size_t> indexes = {});
    /// Puts the current preset into insertion mode for a new watermark of `kind` (a second
    /// press of the same button ends it). An image watermark asks for its picture first, unless
    /// `picture` is given.
    void beginInsertion(AddKind kind, const std::filesystem::path& picture = {});
    void removeSelectedImages();
    void removeSelectedMark();
    /// Removes `mark` from the current preset as one undoable step.
    void removeMark(const OVWatermarkPtr& mark);

    [[nodiscard]] const std::shared_ptr<OVPresetManager>& presetManager() const { return presets_; }
    [[nodiscard]] const std::shared_ptr<OVModel>& model() const { return model_; }
    [[nodiscard]] OVPresetPtr currentPreset() const;
    [[nodiscard]] OVEditorView* editor() const { return editor_; }
    [[nodiscard]] ImageList* imageList() const { return images_; }
    [[nodiscard]] MarkList* markList() const { return marks_; }
    [[nodiscard]] Inspector* inspector() const { return inspector_; }
    [[nodiscard]] PresetPanel* presetPanel() const { return presetPanel_; }
    [[nodiscard]] QUndoStack* undoStack() const { return undo_; }
    [[nodiscard]] QAction* addAction(AddKind kind) const { return addActions_.at(kind); }
    /// True while an export runs.
    [[nodiscard]] bool isExporting() const;
    /// What the last finished export did.
    [[nodiscard]] const OVSaveReport& lastReport() const;

Q_SIGNALS:
    void exportFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class EditorHost;

    void buildToolbar();
    void buildActions();
    void observeLibrary();
    void showImage(int row);
    void usePreset(const OVPresetPtr& preset);
    void reloadMarks();
    void redraw();
    void insertionEnded();
    void saveImageList();
    void savePresets();
    void chooseExport();
    void saveCurrentImageToDirectory(const std::filesystem::path& directory);

    std::shared_ptr<OVPresetManager> presets_;
    std::shared_ptr<OVModel> model_;
    std::unique_ptr<QSettings> settings_;
    std::shared_ptr<EditorHost> host_;
    OVEditorView* editor_ = nullptr;
    ImageList* images_ = nullptr;
    MarkList* marks_ = nullptr;
    Inspector* inspector_ = nullptr;
    PresetPanel* presetPanel_ = nullptr;
    QUndoStack* undo_ = nullptr;
    std::unique_ptr<MarkHistory> history_;
    std::shared_ptr<void> pictureReferences_;
    std::map<AddKind, QAction*> addActions_;
    std::vector<ov::ObserverToken> observers_;
    ExportRun* exports_ = nullptr;
    int currentRow_ = -1;
};
