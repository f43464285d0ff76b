#pragma once

#include "inkstead/presets/OVPreset.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QLineEdit;
class QComboBox;
class QDoubleSpinBox;
class QListWidget;
class QToolButton;
class OVSegmentedCell;
class OVPresetManager;

/// The presets: a list (double-click renames) with add, duplicate and remove buttons, and the
/// export settings of the chosen preset. List changes go through the preset manager, which
/// saves the file; renames and setting changes mark the preset for its save timer.
class PresetPanel : public QWidget {
    Q_OBJECT

public:
    explicit PresetPanel(std::shared_ptr<OVPresetManager> manager, QWidget* parent = nullptr);

    /// Rebuilds the list and chooses `current` (the first preset when null or not listed).
    void reload(const OVPresetPtr& current);
    [[nodiscard]] OVPresetPtr currentPreset() const;

    void addPreset();
    void duplicatePreset();
    void removePreset();
    /// Adds the preset of a JSON file (with new identifiers when its own are taken); the
    /// error in words, empty on success.
    QString importPreset(const QString& file);
    /// Writes the chosen preset's JSON form to `file`; the error in words, empty on success.
    QString exportPreset(const QString& file);
    [[nodiscard]] QListWidget* list() const { return list_; }

Q_SIGNALS:
    /// The user chose another preset (or the chosen one went away).
    void presetChosen(const OVPresetPtr& preset);

private:
    void showSettings();
    void settingsEdited();
    QToolButton* iconButton(const QIcon& icon, const QString& tip);

    std::shared_ptr<OVPresetManager> manager_;
    QListWidget* list_ = nullptr;
    QCheckBox* resize_ = nullptr;
    OVSegmentedCell* constraint_ = nullptr;
    QComboBox* method_ = nullptr;
    QDoubleSpinBox* value_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* metadata_ = nullptr;
    QLineEdit* artist_ = nullptr;
    QLineEdit* copyright_ = nullptr;
    bool loading_ = false;
};
