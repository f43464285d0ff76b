#pragma once

#include <QLabel>

/// A one-line label of the dark theme: its text in the primary text colour on no background, or
/// on presetVCBackgroundHighlightColor in a rectangle with corners rounded by 2 points while
/// highlighted (a row under the mouse, a selected entry).
class OVTextLabelCell : public QLabel {
    Q_OBJECT
public:
    explicit OVTextLabelCell(const QString& text = {}, QWidget* parent = nullptr);

    [[nodiscard]] bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool highlighted_ = false;
};
