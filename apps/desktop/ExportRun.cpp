#include "ExportRun.h"

#include "ExportDialog.h"

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVSaveProgressController.h"
#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/export/OVSaveManager.h"
#include "inkstead/export/OVUniqueFilename.h"
#include "inkstead/model/OVModel.h"
#include "inkstead/platform/files/FileReference.h"
#include "inkstead/presets/OVPresetManager.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QWidget>

ExportRun::ExportRun(QWidget* window, std::shared_ptr<OVModel> model,
                     std::shared_ptr<OVPresetManager> presets)
    : QObject(window), window_(window), model_(std::move(model)), presets_(std::move(presets)),
      lastReport_(std::make_unique<OVSaveReport>()) {}

ExportRun::~ExportRun() {
    if (manager_)
        manager_->waitUntilFinished();
}

void ExportRun::choose(QSettings& settings, std::vector<std::size_t> indexes) {
    if (model_->count() == 0 || isRunning())
        return;
    ExportDialog dialog(window_);
    dialog.setFolder(settings.value("exportFolder").toString());
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings.setValue("exportFolder", QString::fromStdString(dialog.folder().string()));
    start(dialog.folder(), dialog.pattern(), std::move(indexes));
}

QString ExportRun::saveCopy(OVModelObject& entry, const std::filesystem::path& directory) const {
    const auto url = entry.url();
    if (!url)
        return tr("The image's file cannot be found");
    const auto renderer = OVPipelineRenderer::rendererWithPresetManager(presets_);
    const auto destination = URLWithValidFilename(directory, url->filename().string());
    const std::string error = renderer->saveImage(
        *url, entry.presetID() ? entry.presetID()->uuidString() : std::string(), destination);
    return error.empty() ? QString()
                         : QString::fromStdString(url->filename().string() + ": " + error);
}

void ExportRun::start(const std::filesystem::path& folder,
                      std::shared_ptr<OVFilenamePattern> pattern,
                      std::vector<std::size_t> indexes) {
    if (isRunning())
        return;
    if (indexes.empty())
        for (std::size_t i = 0; i < model_->count(); ++i)
            indexes.push_back(i);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    manager_ = std::make_shared<OVSaveManager>(folder);
    manager_->setModel(model_);
    manager_->setFilenamePattern(std::move(pattern));
    manager_->setRenderer(OVPipelineRenderer::rendererWithPresetManager(presets_));
    manager_->setProgressWindowController(std::make_shared<OVSaveProgressController>());
    manager_->setMainQueueExecutor(OVPostToMainThread);
    manager_->beginSheetModalForWindow(
        OVSaveProgressController::hostWindow(window_), std::move(indexes),
        [this, folder](bool, const OVSaveReport& report) { done(report, folder); });
}

std::string ExportRun::imageName(const OVSaveFailure& failure) const {
    if (!failure.source.empty())
        return failure.source.filename().string();
    // A file that can no longer be found is named where it was last seen.
    const auto entry = model_->objectAtIndex(failure.index);
    const auto recorded = entry ? ov::recordedPathOfFileReference(entry->bookmark()) : std::nullopt;
    return recorded ? recorded->filename().string() : tr("an image").toStdString();
}

void ExportRun::done(const OVSaveReport& report, const std::filesystem::path& folder) {
    *lastReport_ = report;
    // Released after the handler has returned, so the batch can finish first.
    QTimer::singleShot(0, this, [manager = std::move(manager_)] {});
    const QString where = QString::fromStdString(folder.string());
    // The summary: how many were written, each failure and why, and the way to the folder.
    const int written = static_cast<int>(report.outputs.size());
    QString text = tr("%n image(s) exported to %1.", nullptr, written).arg(where);
    QStringList lines;
    for (const auto& failure : report.failures)
        lines << QString::fromStdString(imageName(failure) + ": " + failure.reason);
    if (!lines.isEmpty())
        text += "\n" +
                tr("%n image(s) could not be exported.", nullptr, static_cast<int>(lines.size()));
    auto* box = new QMessageBox(lines.isEmpty() ? QMessageBox::Information : QMessageBox::Warning,
                                tr("Export"), text, QMessageBox::Close, window_);
    box->setObjectName("exportSummary");
    if (!lines.isEmpty()) {
        box->setInformativeText(lines.mid(0, 10).join('\n'));
        box->setDetailedText(lines.join('\n'));
    }
    auto* open = box->addButton(tr("Open Folder"), QMessageBox::ActionRole);
    open->setObjectName("openFolder");
    connect(open, &QPushButton::clicked, this,
            [where] { QDesktopServices::openUrl(QUrl::fromLocalFile(where)); });
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    Q_EMIT finished(
        tr("%n image(s) exported to %1", nullptr, static_cast<int>(report.outputs.size()))
            .arg(where));
}
