#include "ExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

std::vector<std::string> patternTokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::string literal;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t close = text[i] == '{' ? text.find('}', i) : std::string::npos;
        if (close != std::string::npos) {
            const std::string name = text.substr(i + 1, close - i - 1);
            if (name == kOVPatternFilenameKey || name == kOVPatternDateKey ||
                name == kOVPatternIncrementKey) {
                if (!literal.empty())
                    tokens.push_back(std::exchange(literal, {}));
                tokens.push_back(name);
                i = close + 1;
                continue;
            }
        }
        literal += text[i++];
    }
    if (!literal.empty())
        tokens.push_back(literal);
    return tokens;
}

ExportDialog::ExportDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Export"));
    auto* form = new QFormLayout(this);

    folder_ = new QLineEdit;
    folder_->setObjectName("exportFolder");
    auto* browse = new QPushButton(tr("Choose…"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browse);
    form->addRow(tr("Folder"), folderRow);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir =
            QFileDialog::getExistingDirectory(this, tr("Export into"), folder_->text());
        if (!dir.isEmpty())
            folder_->setText(dir);
    });

    usePattern_ = new QCheckBox(tr("Rename with a pattern"));
    form->addRow(usePattern_);
    pattern_ = new QLineEdit("{filename}-{increment}");
    pattern_->setToolTip(tr("Tokens: {filename}, {date}, {increment}; other text is kept"));
    form->addRow(tr("Pattern"), pattern_);
    digits_ = new QSpinBox;
    digits_->setRange(1, 9);
    digits_->setValue(3);
    form->addRow(tr("Digits"), digits_);
    dateStyle_ = new QComboBox;
    dateStyle_->addItems({tr("Short date"), tr("Medium date"), tr("Long date and time")});
    form->addRow(tr("Date"), dateStyle_);
    example_ = new QLabel;
    example_->setObjectName("exportExample");
    form->addRow(tr("Example"), example_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Export"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(usePattern_, &QCheckBox::toggled, this, &ExportDialog::updateExample);
    connect(pattern_, &QLineEdit::textChanged, this, &ExportDialog::updateExample);
    connect(digits_, &QSpinBox::valueChanged, this, &ExportDialog::updateExample);
    connect(dateStyle_, &QComboBox::currentIndexChanged, this, &ExportDialog::updateExample);
    connect(folder_, &QLineEdit::textChanged, this, [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!folder_->text().isEmpty());
    });
    updateExample();
}

void ExportDialog::setFolder(const QString& folder) {
    folder_->setText(folder);
}

std::filesystem::path ExportDialog::folder() const {
    return folder_->text().toStdString();
}

std::shared_ptr<OVFilenamePattern> ExportDialog::pattern() const {
    if (!usePattern_->isChecked())
        return nullptr;
    auto pattern = OVFilenamePattern::pattern();
    pattern->setTokens(patternTokens(pattern_->text().toStdString()));
    pattern->setNumberOfDigits(digits_->value());
    pattern->setDateStyle(static_cast<std::uint64_t>(dateStyle_->currentIndex()));
    return pattern;
}

QString ExportDialog::exampleName() const {
    return example_->text();
}

void ExportDialog::updateExample() {
    pattern_->setEnabled(usePattern_->isChecked());
    digits_->setEnabled(usePattern_->isChecked());
    dateStyle_->setEnabled(usePattern_->isChecked());
    const auto p = pattern();
    example_->setText(p ? QString::fromStdString(p->renameWithCurrentPattern("IMG_0042.jpg", 1))
                        : QStringLiteral("IMG_0042.jpg"));
}
