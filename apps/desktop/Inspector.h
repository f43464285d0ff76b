#pragma once

#include "MarkProperties.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QFormLayout;
class QLabel;

/// The panel that edits the selected watermark: one row per property of its kind, built from
/// markPropertiesOf(), so the panel itself knows no kind. It changes nothing by itself: every
/// edit goes to the handler, which applies it (and records it for undo).
class Inspector : public QWidget {
    Q_OBJECT

public:
    using EditHandler =
        std::function<void(const OVWatermarkProperty& property, const OVPropertyValue& value)>;

    explicit Inspector(QWidget* parent = nullptr);

    void setEditHandler(EditHandler handler) { onEdit_ = std::move(handler); }
    /// Shows the rows of `watermark` (none for null).
    void setWatermark(std::shared_ptr<OVWatermark> watermark);
    [[nodiscard]] const std::shared_ptr<OVWatermark>& watermark() const { return watermark_; }
    /// Reads every row again from the watermark (after an undo or a drag in the view).
    void refresh();
    /// The editor widget of a property, for tests; null when not shown.
    [[nodiscard]] QWidget* editorFor(std::string_view key) const;

private:
    struct Row {
        OVWatermarkProperty property;
        QWidget* editor = nullptr;
    };
    QWidget* makeEditor(const OVWatermarkProperty& property);
    void edit(const OVWatermarkProperty& property, const OVPropertyValue& value);
    void clearRows();

    QLabel* title_ = nullptr;
    QFormLayout* form_ = nullptr;
    std::shared_ptr<OVWatermark> watermark_;
    std::vector<Row> rows_;
    EditHandler onEdit_;
    bool loading_ = false;
};
