#include "inkstead/appearance/OVTextFieldCell.h"

#include "inkstead/appearance/OVControlText_p.h"

namespace {
// Qt's editor keeps 2 pixels between its text margin and the text; 3 more line its text up with
// the title drawn 5 points in.
constexpr int kEditorShift = 3;
constexpr double kTitleInset = 5.0;
constexpr double kCornerRadius = 2.0;
} // namespace

OVTextFieldCell::OVTextFieldCell(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setTextMargins(kEditorShift, 0, kEditorShift, 0);
    QPalette p = palette();
    p.setColor(QPalette::Text, OVQColor(OVStyleKit::presetVCPrimaryTextColor()));
    p.setColor(QPalette::Base, Qt::transparent); // the background is drawn below, rounded
    setPalette(p);
}

QRectF OVTextFieldCell::titleRectForBounds(const QRectF& bounds) {
    return bounds.adjusted(kTitleInset, 0, -kTitleInset, 0);
}

void OVTextFieldCell::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        ov::detail::setRoundedClip(painter, rect(), kCornerRadius);
        painter.fillRect(rect(), OVQColor(OVStyleKit::editorViewBackgroundColor()));
        if (!hasFocus()) {
            if (text().isEmpty() && !placeholderText().isEmpty()) {
                painter.setOpacity(0.5);
                ov::detail::drawControlText(painter, placeholderText(), titleRectForBounds(rect()));
            } else {
                ov::detail::drawControlText(painter, text(), titleRectForBounds(rect()));
            }
            return;
        }
    }
    QLineEdit::paintEvent(event);
}
