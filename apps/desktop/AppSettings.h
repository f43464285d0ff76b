#pragma once

#include "inkstead/model/OVModel.h"

#include <QSettings>

#include <memory>
#include <optional>

/// The application's settings: in the storage folder given with --home (INKSTEAD_HOME), so that
/// a separate home keeps separate settings, else in the user's configuration folder.
[[nodiscard]] std::unique_ptr<QSettings> appSettings();

/// Keeps the image list between runs: each entry's file reference and preset identifier.
void saveImageList(const OVModel& model, QSettings& settings);
/// The entries saved by saveImageList(), in their order.
[[nodiscard]] OVModel::ObjectList loadImageList(QSettings& settings);

/// The identifier of the last used preset; none when never set.
[[nodiscard]] std::optional<ov::UUID> lastUsedPreset(QSettings& settings);
void setLastUsedPreset(QSettings& settings, const ov::UUID& uuid);
