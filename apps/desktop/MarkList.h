#pragma once

#include "inkstead/presets/OVPreset.h"

#include <QListWidget>

#include <vector>

/// The watermarks of the current preset, topmost first, each with a box that shows or hides it.
/// Selecting a row selects the watermark in the preset; dragging rows changes the stacking.
/// The list only reports: the window applies the changes.
class MarkList : public QListWidget {
    Q_OBJECT

public:
    explicit MarkList(QWidget* parent = nullptr);

    /// Rebuilds the rows from the preset, the selected watermark selected.
    void reload(const OVPresetPtr& preset);

Q_SIGNALS:
    void markSelected(const OVWatermarkPtr& watermark);
    void markVisibilityChanged(const OVWatermarkPtr& watermark, bool visible);
    /// The rows were dragged into a new order: the list, bottom-most first.
    void marksReordered(const std::vector<OVWatermarkPtr>& stackingOrder);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    [[nodiscard]] bool isRowDrag(const QDropEvent* event) const;
    [[nodiscard]] OVWatermarkPtr markAt(int row) const;

    std::vector<OVWatermarkPtr> shown_; ///< by row: topmost first
    bool loading_ = false;
};
