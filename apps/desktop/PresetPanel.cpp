#include "PresetPanel.h"

#include "inkstead/appearance/OVSegmentedCell.h"
#include "inkstead/appearance/OVStyleKit.h"
#include "inkstead/platform/files/AtomicFile.h"
#include "inkstead/platform/files/FileContents.h"
#include "inkstead/presets/OVPresetJson.h"
#include "inkstead/presets/OVPresetManager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

PresetPanel::PresetPanel(std::shared_ptr<OVPresetManager> manager, QWidget* parent)
    : QWidget(parent), manager_(std::move(manager)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Presets")));
    list_ = new QListWidget;
    list_->setObjectName("presetList");
    list_->setMinimumHeight(60);
    layout->addWidget(list_);

    auto* buttons = new QHBoxLayout;
    auto* add = iconButton(OVStyleKit::imageOfPresetAddButton(), tr("New preset"));
    auto* duplicate =
        iconButton(OVStyleKit::imageOfPresetDuplicateButton(), tr("Duplicate preset"));
    auto* remove = iconButton(OVStyleKit::imageOfPresetRemoveButton(), tr("Remove preset"));
    buttons->addWidget(add);
    buttons->addWidget(duplicate);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    auto* import = new QPushButton(tr("Import…"));
    auto* exportJson = new QPushButton(tr("Export…"));
    import->setToolTip(tr("Add a preset from its JSON file"));
    exportJson->setToolTip(tr("Save the preset as a JSON file"));
    buttons->addWidget(import);
    buttons->addWidget(exportJson);
    layout->addLayout(buttons);
    connect(import, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getOpenFileName(this, tr("Import preset"), {}, tr("Presets (*.json)"));
        if (file.isEmpty())
            return;
        if (const QString error = importPreset(file); !error.isEmpty())
            QMessageBox::warning(this, tr("Import preset"), error);
    });
    connect(exportJson, &QPushButton::clicked, this, [this] {
        const auto preset = currentPreset();
        if (!preset)
            return;
        const QString file = QFileDialog::getSaveFileName(
            this, tr("Export preset"), QString::fromStdString(preset->name()) + ".json",
            tr("Presets (*.json)"));
        if (file.isEmpty())
            return;
        if (const QString error = exportPreset(file); !error.isEmpty())
            QMessageBox::warning(this, tr("Export preset"), error);
    });
    connect(add, &QToolButton::clicked, this, &PresetPanel::addPreset);
    connect(duplicate, &QToolButton::clicked, this, &PresetPanel::duplicatePreset);
    connect(remove, &QToolButton::clicked, this, &PresetPanel::removePreset);

    auto* form = new QFormLayout;
    resize_ = new QCheckBox(tr("Scale down"));
    constraint_ = new OVSegmentedCell(2);
    constraint_->setMinimumHeight(constraint_->sizeHint().height());
    method_ = new QComboBox;
    method_->addItems({tr("pixels"), tr("percent")});
    value_ = new QDoubleSpinBox;
    value_->setRange(0, 100000);
    value_->setKeyboardTracking(false);
    // In the order of the values of OVMetadataPolicy and OVOutputFormat.
    metadata_ = new QComboBox;
    metadata_->addItems(
        {tr("Keep all"), tr("Remove location"), tr("Remove private data"), tr("Copyright only")});
    metadata_->setToolTip(tr("Private data: location, serial numbers, owner names, maker notes"));
    format_ = new QComboBox;
    format_->addItems({tr("Same as photo"), "JPEG", "PNG", "WebP", "AVIF", "JPEG XL"});
    artist_ = new QLineEdit;
    artist_->setPlaceholderText(tr("as in the photo"));
    copyright_ = new QLineEdit;
    copyright_->setPlaceholderText(tr("as in the photo"));
    form->addRow(resize_);
    form->addRow(tr("Side"), constraint_);
    form->addRow(tr("Unit"), method_);
    form->addRow(tr("Value"), value_);
    form->addRow(tr("Format"), format_);
    form->addRow(tr("Metadata"), metadata_);
    form->addRow(tr("Artist"), artist_);
    form->addRow(tr("Copyright"), copyright_);
    layout->addLayout(form);

    connect(list_, &QListWidget::currentRowChanged, this, [this] {
        if (loading_)
            return;
        showSettings();
        Q_EMIT presetChosen(currentPreset());
    });
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (loading_)
            return;
        if (auto preset = manager_->presetAtIndex(list_->row(item)))
            preset->setName(item->text().toStdString());
    });
    connect(resize_, &QCheckBox::toggled, this, &PresetPanel::settingsEdited);
    connect(constraint_, &OVSegmentedCell::selectedSegmentChanged, this,
            &PresetPanel::settingsEdited);
    connect(method_, &QComboBox::currentIndexChanged, this, &PresetPanel::settingsEdited);
    connect(value_, &QDoubleSpinBox::valueChanged, this, &PresetPanel::settingsEdited);
    connect(metadata_, &QComboBox::currentIndexChanged, this, &PresetPanel::settingsEdited);
    connect(format_, &QComboBox::currentIndexChanged, this, &PresetPanel::settingsEdited);
    connect(artist_, &QLineEdit::editingFinished, this, &PresetPanel::settingsEdited);
    connect(copyright_, &QLineEdit::editingFinished, this, &PresetPanel::settingsEdited);
}

QToolButton* PresetPanel::iconButton(const QIcon& icon, const QString& tip) {
    auto* button = new QToolButton;
    button->setIcon(icon);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}

void PresetPanel::reload(const OVPresetPtr& current) {
    loading_ = true;
    list_->clear();
    int row = 0;
    for (std::size_t i = 0; i < manager_->count(); ++i) {
        const auto preset = manager_->presetAtIndex(static_cast<std::ptrdiff_t>(i));
        auto* item = new QListWidgetItem(QString::fromStdString(preset->name()), list_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        if (current && preset == current)
            row = static_cast<int>(i);
    }
    if (list_->count() > 0)
        list_->setCurrentRow(row);
    loading_ = false;
    showSettings();
}

OVPresetPtr PresetPanel::currentPreset() const {
    return manager_->presetAtIndex(list_->currentRow());
}

void PresetPanel::showSettings() {
    const auto preset = currentPreset();
    loading_ = true;
    for (QWidget* w : std::initializer_list<QWidget*>{resize_, constraint_, method_, value_,
                                                      format_, metadata_, artist_, copyright_})
        w->setEnabled(preset != nullptr);
    if (preset) {
        resize_->setChecked(preset->shouldResize());
        constraint_->setSelectedSegment(preset->resizeConstraint() == OVResizeConstraintHeight ? 1
                                                                                               : 0);
        method_->setCurrentIndex(preset->resizeMethod() == OVResizeMethodPercentage ? 1 : 0);
        value_->setValue(preset->resizeValue());
        metadata_->setCurrentIndex(static_cast<int>(preset->metadataPolicy()));
        format_->setCurrentIndex(static_cast<int>(preset->outputFormat()));
        artist_->setText(QString::fromStdString(preset->metadataArtist()));
        copyright_->setText(QString::fromStdString(preset->metadataCopyright()));
    }
    loading_ = false;
}

void PresetPanel::settingsEdited() {
    const auto preset = currentPreset();
    if (loading_ || !preset)
        return;
    preset->setShouldResize(resize_->isChecked());
    preset->setResizeConstraint(constraint_->selectedSegment() == 1 ? OVResizeConstraintHeight
                                                                    : OVResizeConstraintWidth);
    preset->setResizeMethod(method_->currentIndex() == 1 ? OVResizeMethodPercentage
                                                         : OVResizeMethodPixels);
    preset->setResizeValue(value_->value());
    preset->setMetadataPolicy(
        static_cast<OVMetadataPolicy>(std::max(0, metadata_->currentIndex())));
    preset->setOutputFormat(static_cast<OVOutputFormat>(std::max(0, format_->currentIndex())));
    preset->setMetadataArtist(artist_->text().toStdString());
    preset->setMetadataCopyright(copyright_->text().toStdString());
    preset->setShouldSave(true);
    Q_EMIT presetChosen(preset); // the editor re-fits the photograph to the new size
}

void PresetPanel::addPreset() {
    auto preset =
        std::make_shared<OVPreset>(tr("Preset %1").arg(manager_->count() + 1).toStdString());
    manager_->insertObject(preset, manager_->count());
    reload(preset);
    Q_EMIT presetChosen(preset);
}

void PresetPanel::duplicatePreset() {
    const auto original = currentPreset();
    if (!original)
        return;
    auto preset = std::make_shared<OVPreset>(original->name() + " " + tr("copy").toStdString());
    std::vector<OVWatermarkPtr> marks;
    for (const auto& mark : original->watermarks())
        marks.push_back(original->duplicateWatermark(mark));
    preset->setWatermarks(std::move(marks));
    preset->setShouldResize(original->shouldResize());
    preset->setResizeConstraint(original->resizeConstraint());
    preset->setResizeMethod(original->resizeMethod());
    preset->setResizeValue(original->resizeValue());
    preset->setMetadataPolicy(original->metadataPolicy());
    preset->setMetadataArtist(original->metadataArtist());
    preset->setMetadataCopyright(original->metadataCopyright());
    preset->setOutputFormat(original->outputFormat());
    preset->setOutputQuality(original->outputQuality());
    manager_->insertObject(preset, static_cast<std::size_t>(list_->currentRow()) + 1);
    reload(preset);
    Q_EMIT presetChosen(preset);
}

void PresetPanel::removePreset() {
    const int row = list_->currentRow();
    if (row < 0 || manager_->count() <= 1)
        return; // the last preset stays, so every image has one
    manager_->removeObjectFromPresetsAtIndex(static_cast<std::size_t>(row));
    const auto next = manager_->presetAtIndex(std::max(0, row - 1));
    reload(next);
    Q_EMIT presetChosen(next);
}

QString PresetPanel::importPreset(const QString& file) {
    const auto bytes = ov::readFileContents(file.toStdString());
    if (!bytes)
        return tr("%1: %2").arg(file, QString::fromStdString(bytes.error().code.message()));
    if (bytes->size() > kOVPresetJsonMaxBytes)
        return tr("%1 is too large for a preset").arg(file);
    auto read = OVPresetFromJson(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    if (!read)
        return tr("%1: %2").arg(file, QString::fromStdString(read.error().message));
    OVImportedPreset& imported = read.value();
    const OVPresetPtr preset = imported.preset;
    preset->setName(manager_->freePresetName(preset->name()));
    imported.makeDistinctFrom(manager_->allPresets().value_or(std::vector<OVPresetPtr>{}),
                              manager_->storage());
    if (auto stored = imported.storePictures(manager_->storage()); !stored)
        return QString::fromStdString(stored.error().message);
    preset->sharedSetup(); // later edits reach the file through its save timer
    manager_->insertObject(preset, manager_->count());
    reload(preset);
    Q_EMIT presetChosen(preset);
    return {};
}

QString PresetPanel::exportPreset(const QString& file) {
    const auto preset = currentPreset();
    if (!preset)
        return tr("No preset is chosen");
    const auto written = ov::writeFileAtomically(file.toStdString(), OVPresetJsonString(*preset),
                                                 ov::FileWriteMode::ReplaceExisting);
    return written ? QString() : QString::fromStdString(written.error().message);
}
