#pragma once

#include <QObject>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class OVFilenamePattern;
class OVModel;
class OVModelObject;
class QSettings;
class OVPresetManager;
class OVSaveManager;
class QWidget;
struct OVSaveFailure;
struct OVSaveReport;

/// The batch exports of a window: one at a time, with the progress sheet on the window, and at
/// the end a summary that names every image that failed and why, with a button that opens the
/// folder. The window stays responsive: the images are rendered on the save manager's threads.
class ExportRun : public QObject {
    Q_OBJECT

public:
    ExportRun(QWidget* window, std::shared_ptr<OVModel> model,
              std::shared_ptr<OVPresetManager> presets);
    ~ExportRun() override;

    [[nodiscard]] bool isRunning() const { return manager_ != nullptr; }
    /// Asks for the folder and the names (the dialog remembers the folder in `settings`), then
    /// exports `indexes` (all images when empty).
    void choose(QSettings& settings, std::vector<std::size_t> indexes);
    /// Exports `indexes` (all images when empty) into `folder` (made when missing), named by
    /// `pattern` (null: the source names). Does nothing while an export runs.
    void start(const std::filesystem::path& folder, std::shared_ptr<OVFilenamePattern> pattern,
               std::vector<std::size_t> indexes);
    /// Writes the watermarked photograph of `entry` into `directory` under its own name (made
    /// unique); the error in words, empty on success. For a drag of the photograph out.
    [[nodiscard]] QString saveCopy(OVModelObject& entry,
                                   const std::filesystem::path& directory) const;
    /// What the last finished export did.
    [[nodiscard]] const OVSaveReport& lastReport() const { return *lastReport_; }

Q_SIGNALS:
    /// The export ended; `status` sums it up in a line for the status bar.
    void finished(const QString& status);

private:
    void done(const OVSaveReport& report, const std::filesystem::path& folder);
    /// The file name of a failed image, also when its file can no longer be found.
    [[nodiscard]] std::string imageName(const OVSaveFailure& failure) const;

    QWidget* window_;
    std::shared_ptr<OVModel> model_;
    std::shared_ptr<OVPresetManager> presets_;
    std::shared_ptr<OVSaveManager> manager_;
    std::unique_ptr<OVSaveReport> lastReport_;
};
