#pragma once

#include "inkstead/export/OVFilenamePattern.h"

#include <QDialog>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

/// The tokens of a pattern written as text: "{filename}", "{date}" and "{increment}" are tokens,
/// everything between them is kept as literal text ("{filename}-{increment}" gives filename,
/// "-", increment).
[[nodiscard]] std::vector<std::string> patternTokens(const std::string& text);

/// Asks where and under which names to export: the folder, and either the source names or a
/// filename pattern with its number of digits and date style, with an example name that follows
/// every change.
class ExportDialog : public QDialog {
    Q_OBJECT

public:
    explicit ExportDialog(QWidget* parent = nullptr);

    void setFolder(const QString& folder);
    [[nodiscard]] std::filesystem::path folder() const;
    /// Null when the outputs keep their source names.
    [[nodiscard]] std::shared_ptr<OVFilenamePattern> pattern() const;
    [[nodiscard]] QString exampleName() const;

    QLineEdit* folderField() const { return folder_; }
    QLineEdit* patternField() const { return pattern_; }
    QCheckBox* usePatternBox() const { return usePattern_; }

private:
    void updateExample();

    QLineEdit* folder_ = nullptr;
    QCheckBox* usePattern_ = nullptr;
    QLineEdit* pattern_ = nullptr;
    QSpinBox* digits_ = nullptr;
    QComboBox* dateStyle_ = nullptr;
    QLabel* example_ = nullptr;
};
