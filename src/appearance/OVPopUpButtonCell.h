#pragma once

#include <QComboBox>
#include <QImage>

/// The pop-up button of the dark theme: whatever its size, the background is
/// OVStyleKit::drawPopupButton (a 167 × 22 body in presetVCBackgroundColor at 2 points from the
/// top, with a black arrow), and the current item's title is drawn in the primary text colour.
class OVPopUpButtonCell : public QComboBox {
    Q_OBJECT
public:
    explicit OVPopUpButtonCell(QWidget* parent = nullptr);

    /// Where the title is drawn: the editing area Qt's style gives the control at its size.
    [[nodiscard]] QRect titleRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage background_; ///< drawPopupButton at the last device pixel ratio
};
