#pragma once

#include "MainToolbar.h"
#include "inkstead/platform/notify/NotificationCenter.h"
#include "inkstead/presets/OVPreset.h"

#include <QMainWindow>

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

class ExportRun;
class ImageCollection;
class ImageList;
class Inspector;
class MarkEditing;
class MarkList;
class OVEditorView;
class OVFilenamePattern;
class OVModel;
class OVPresetManager;
class PresetPanel;
class QAction;
class QSettings;
class QUndoStack;
struct OVSaveReport;

/// The application window: the image list on the left, the editor view in the middle with the
/// toolbar above it, and the presets, the watermark list and the inspector on the right.
///
/// It owns the preset manager and the image list, and ties the parts together: the image shown
/// follows the list's selection, its preset the image's. Watermark edits belong to MarkEditing,
/// exports to ExportRun. Edits reach the presets file only through each preset's save timer:
/// the window answers "preset-should-save" by saving the list.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    using AddKind = ::AddKind;

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
                      std::shared_ptr<OVFilenamePattern> pattern,
                      std::vector<std::size_t> indexes = {});
    /// See MarkEditing::beginInsertion().
    void beginInsertion(AddKind kind, const std::filesystem::path& picture = {});
    void removeSelectedImages();
    void removeSelectedMark();

    [[nodiscard]] const std::shared_ptr<OVPresetManager>& presetManager() const { return presets_; }
    [[nodiscard]] const std::shared_ptr<OVModel>& model() const { return model_; }
    [[nodiscard]] OVPresetPtr currentPreset() const;
    [[nodiscard]] OVEditorView* editor() const { return editor_; }
    [[nodiscard]] ImageList* imageList() const { return images_; }
    [[nodiscard]] MarkList* markList() const { return marks_; }
    [[nodiscard]] Inspector* inspector() const { return inspector_; }
    [[nodiscard]] PresetPanel* presetPanel() const { return presetPanel_; }
    [[nodiscard]] QUndoStack* undoStack() const;
    [[nodiscard]] QAction* addAction(AddKind kind) const { return toolbar_->addAction(kind); }
    /// True while an export runs.
    [[nodiscard]] bool isExporting() const;
    /// What the last finished export did.
    [[nodiscard]] const OVSaveReport& lastReport() const;

Q_SIGNALS:
    void exportFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class EditorHost;

    QWidget* buildSide();
    void buildActions();
    void observeLibrary();
    void showImage(int row);
    void usePreset(const OVPresetPtr& preset);
    void savePresets();
    void openFiles();
    void saveCurrentImageToDirectory(const std::filesystem::path& directory);

    std::shared_ptr<OVPresetManager> presets_;
    std::shared_ptr<OVModel> model_;
    std::unique_ptr<QSettings> settings_;
    std::shared_ptr<EditorHost> host_;
    MainToolbar* toolbar_ = nullptr;
    OVEditorView* editor_ = nullptr;
    ImageList* images_ = nullptr;
    ImageCollection* collection_ = nullptr;
    MarkList* marks_ = nullptr;
    Inspector* inspector_ = nullptr;
    PresetPanel* presetPanel_ = nullptr;
    MarkEditing* editing_ = nullptr;
    ExportRun* exports_ = nullptr;
    std::vector<ov::ObserverToken> observers_;
    int currentRow_ = -1;
};
