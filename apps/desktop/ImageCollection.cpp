#include "ImageCollection.h"

#include "AppSettings.h"
#include "ImageList.h"

#include <QSettings>

#include <set>

ImageCollection::ImageCollection(std::shared_ptr<OVModel> model, QSettings& settings,
                                 ImageList* list, QObject* parent)
    : QObject(parent), model_(std::move(model)), settings_(settings), list_(list) {}

void ImageCollection::restore() {
    model_->setModelObjects(loadImageList(settings_));
    list_->reload(*model_);
}

QString ImageCollection::add(const std::vector<std::filesystem::path>& files,
                             std::optional<ov::UUID> preset) {
    const std::size_t before = model_->count();
    std::vector<OVUnreadableFolder> unreadable;
    for (const auto& file : files)
        model_->addURL(std::filesystem::absolute(file), preset, &unreadable);
    list_->reload(*model_);
    save();
    if (model_->count() > before)
        list_->setCurrentRow(static_cast<int>(before));
    QString message = tr("%n image(s) added", nullptr, static_cast<int>(model_->count() - before));
    for (const auto& folder : unreadable)
        message += tr("; cannot read %1: %2")
                       .arg(QString::fromStdString(folder.folder.string()),
                            QString::fromStdString(folder.error.message()));
    return message;
}

int ImageCollection::removeSelected() {
    const auto rows = list_->selectedRows();
    if (rows.empty())
        return list_->currentRow();
    model_->removeObjectsAtIndexes(std::set<std::size_t>(rows.begin(), rows.end()));
    list_->reload(*model_);
    save();
    const int next = std::min(static_cast<int>(rows.front()), list_->count() - 1);
    list_->setCurrentRow(next);
    return next;
}

void ImageCollection::applyPreset(const ov::UUID& preset, int currentRow) {
    for (std::size_t index : list_->selectedRows())
        if (auto entry = model_->objectAtIndex(index))
            entry->setPresetID(preset);
    if (currentRow >= 0)
        if (auto entry = model_->objectAtIndex(static_cast<std::size_t>(currentRow)))
            entry->setPresetID(preset);
    save();
}

void ImageCollection::save() {
    saveImageList(*model_, settings_);
    settings_.sync();
}
