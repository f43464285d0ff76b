#include "inkstead/appearance/OVTextLabelCell.h"

#include "inkstead/appearance/OVControlText_p.h"

OVTextLabelCell::OVTextLabelCell(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void OVTextLabelCell::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted)
        return;
    highlighted_ = highlighted;
    update();
}

void OVTextLabelCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ov::detail::setRoundedClip(painter, rect(), 2.0);
    if (highlighted_)
        painter.fillRect(rect(), OVQColor(OVStyleKit::presetVCBackgroundHighlightColor()));
    ov::detail::drawControlText(painter, text(), rect());
}
