#include "Inspector.h"

#include "inkstead/appearance/OVColorWell.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Logos are drawn at most this many pixels on their longer side.
constexpr double kMaxPictureSide = 4096;
} // namespace

Inspector::Inspector(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel(tr("No watermark selected"));
    title_->setObjectName("inspectorTitle");
    layout->addWidget(title_);
    auto* body = new QWidget;
    form_ = new QFormLayout(body);
    form_->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(body);
    layout->addStretch(1);
}

void Inspector::clearRows() {
    rows_.clear();
    while (form_->rowCount() > 0)
        form_->removeRow(0);
}

void Inspector::setWatermark(std::shared_ptr<OVWatermark> watermark) {
    if (watermark == watermark_) {
        refresh();
        return;
    }
    watermark_ = std::move(watermark);
    clearRows();
    title_->setText(watermark_ ? QString::fromStdString(markKindTitle(*watermark_))
                               : tr("No watermark selected"));
    for (auto& property : markPropertiesOf(watermark_.get())) {
        QWidget* editor = makeEditor(property);
        editor->setObjectName(QString::fromUtf8(property.key.data(), property.key.size()));
        form_->addRow(QString::fromUtf8(property.label.data(), property.label.size()), editor);
        rows_.push_back({std::move(property), editor});
    }
    refresh();
}

QWidget* Inspector::editorFor(std::string_view key) const {
    for (const auto& row : rows_)
        if (row.property.key == key)
            return row.editor;
    return nullptr;
}

void Inspector::edit(const OVWatermarkProperty& property, const OVPropertyValue& value) {
    if (loading_ || !watermark_ || !onEdit_)
        return;
    onEdit_(property, value);
}

QWidget* Inspector::makeEditor(const OVWatermarkProperty& p) {
    // Each editor hands a copy of its property to edit(), so rows may be rebuilt meanwhile.
    switch (p.type) {
    case OVPropertyType::Bool: {
        auto* box = new QCheckBox;
        connect(box, &QCheckBox::toggled, this, [this, p](bool on) { edit(p, on); });
        return box;
    }
    case OVPropertyType::Number: {
        auto* spin = new QDoubleSpinBox;
        spin->setRange(p.minimum, p.maximum);
        spin->setDecimals(p.maximum <= 1 ? 2 : 1);
        spin->setSingleStep(p.maximum <= 1 ? 0.05 : 1);
        spin->setKeyboardTracking(false);
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this, p](double v) { edit(p, v); });
        return spin;
    }
    case OVPropertyType::Text: {
        auto* line = new QLineEdit;
        connect(line, &QLineEdit::textEdited, this,
                [this, p](const QString& text) { edit(p, text.toStdString()); });
        return line;
    }
    case OVPropertyType::FontName: {
        auto* fonts = new QFontComboBox;
        fonts->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        fonts->setMinimumContentsLength(8);
        connect(fonts, &QFontComboBox::currentFontChanged, this,
                [this, p](const QFont& font) { edit(p, font.family().toStdString()); });
        return fonts;
    }
    case OVPropertyType::Color: {
        auto* well = new OVColorWell;
        connect(well, &OVColorWell::colorChanged, this,
                [this, p, well] { edit(p, std::optional<ov::Color>(well->color())); });
        return well;
    }
    case OVPropertyType::Choice: {
        auto* combo = new QComboBox;
        for (auto choice : p.choices)
            combo->addItem(QString::fromUtf8(choice.data(), choice.size()));
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, p](int index) { edit(p, static_cast<double>(index)); });
        return combo;
    }
    case OVPropertyType::Point:
    case OVPropertyType::Size:
        break; // not offered (see markPropertiesOf)
    case OVPropertyType::Picture: {
        auto* button = new QPushButton(tr("Choose…"));
        connect(button, &QPushButton::clicked, this, [this, p] {
            const QString file = QFileDialog::getOpenFileName(
                this, tr("Choose a picture"), {},
                tr("Images (*.png *.jpg *.jpeg *.tif *.tiff *.webp *.heic)"));
            if (file.isEmpty())
                return;
            const auto source = ov::ImageSource::createWithURL(file.toStdString());
            if (auto picture = source ? source->createThumbnail(kMaxPictureSide) : nullptr)
                edit(p, std::move(picture));
            else
                QMessageBox::warning(this, tr("Picture"),
                                     tr("%1 cannot be read as a picture.").arg(file));
        });
        return button;
    }
    }
    return new QWidget;
}

void Inspector::refresh() {
    if (!watermark_)
        return;
    loading_ = true;
    for (auto& row : rows_) {
        if (row.property.type == OVPropertyType::Picture)
            continue;
        const OVPropertyValue value = row.property.get(*watermark_);
        if (auto* box = qobject_cast<QCheckBox*>(row.editor))
            box->setChecked(std::get<bool>(value));
        else if (auto* spin = qobject_cast<QDoubleSpinBox*>(row.editor))
            spin->setValue(std::get<double>(value));
        else if (auto* fonts = qobject_cast<QFontComboBox*>(row.editor)) {
            const auto& name = std::get<std::string>(value);
            if (!name.empty())
                fonts->setCurrentFont(QFont(QString::fromStdString(name)));
        } else if (auto* combo = qobject_cast<QComboBox*>(row.editor))
            combo->setCurrentIndex(static_cast<int>(std::get<double>(value)));
        else if (auto* line = qobject_cast<QLineEdit*>(row.editor)) {
            const QString text = QString::fromStdString(std::get<std::string>(value));
            if (line->text() != text)
                line->setText(text);
        } else if (auto* well = qobject_cast<OVColorWell*>(row.editor))
            well->setColor(std::get<std::optional<ov::Color>>(value).value_or(ov::Color::clear()));
    }
    loading_ = false;
}
