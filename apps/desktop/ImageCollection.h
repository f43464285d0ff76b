#pragma once

#include "inkstead/model/OVModel.h"

#include <QObject>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

class ImageList;
class QSettings;

/// The images to watermark: the entries of the model, shown in the image list and kept in the
/// settings between runs (each entry with its file reference and preset). Every change is
/// saved at once.
class ImageCollection : public QObject {
    Q_OBJECT

public:
    ImageCollection(std::shared_ptr<OVModel> model, QSettings& settings, ImageList* list,
                    QObject* parent);

    /// The entries of the last run, shown in the list.
    void restore();
    /// Adds files and folders (searched for images) with `preset` and selects the first new
    /// one; the outcome in words, naming unreadable folders.
    QString add(const std::vector<std::filesystem::path>& files, std::optional<ov::UUID> preset);
    /// Removes the selected entries and selects the one after them; the row selected then (-1
    /// when the list is empty).
    int removeSelected();
    /// Gives the selected entries and the one at `currentRow` the preset.
    void applyPreset(const ov::UUID& preset, int currentRow);
    /// Writes the list to the settings.
    void save();

private:
    std::shared_ptr<OVModel> model_;
    QSettings& settings_;
    ImageList* list_;
};
