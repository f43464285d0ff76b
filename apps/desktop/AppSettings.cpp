#include "AppSettings.h"

#include "inkstead/storage/OVStorage.h"

#include <QString>

#include <cstdlib>

namespace {
constexpr const char* kImagesKey = "images";
constexpr const char* kBookmarkKey = "bookmark";
constexpr const char* kPresetKey = "preset";

QString lastUsedKey() {
    return QString::fromUtf8(kOVLastUsedPreset.data(), static_cast<int>(kOVLastUsedPreset.size()));
}
} // namespace

std::unique_ptr<QSettings> appSettings() {
    if (const char* home = std::getenv("INKSTEAD_HOME"); home && *home)
        return std::make_unique<QSettings>(QString::fromLocal8Bit(home) + "/inkstead-app.ini",
                                           QSettings::IniFormat);
    return std::make_unique<QSettings>("Inkstead", "inkstead-app");
}

void saveImageList(const OVModel& model, QSettings& settings) {
    const auto entries = model.modelObjects();
    settings.beginWriteArray(kImagesKey, static_cast<int>(entries.size()));
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        settings.setArrayIndex(i);
        const auto bookmark = entries[static_cast<std::size_t>(i)]->bookmark();
        settings.setValue(kBookmarkKey, QByteArray(reinterpret_cast<const char*>(bookmark.data()),
                                                   static_cast<qsizetype>(bookmark.size())));
        const auto preset = entries[static_cast<std::size_t>(i)]->presetID();
        settings.setValue(kPresetKey,
                          preset ? QString::fromStdString(preset->uuidString()) : QString());
    }
    settings.endArray();
}

OVModel::ObjectList loadImageList(QSettings& settings) {
    OVModel::ObjectList list;
    const int size = settings.beginReadArray(kImagesKey);
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        const QByteArray bytes = settings.value(kBookmarkKey).toByteArray();
        if (bytes.isEmpty())
            continue;
        auto entry = std::make_shared<OVModelObject>();
        entry->setBookmark(ov::FileReferenceData(bytes.begin(), bytes.end()));
        entry->setPresetID(
            ov::UUID::fromString(settings.value(kPresetKey).toString().toStdString()));
        list.push_back(std::move(entry));
    }
    settings.endArray();
    return list;
}

std::optional<ov::UUID> lastUsedPreset(QSettings& settings) {
    return ov::UUID::fromString(settings.value(lastUsedKey()).toString().toStdString());
}

void setLastUsedPreset(QSettings& settings, const ov::UUID& uuid) {
    settings.setValue(lastUsedKey(), QString::fromStdString(uuid.uuidString()));
}
