#include "inkstead/appearance/OVPopUpButtonCell.h"

#include "inkstead/appearance/OVControlText_p.h"

#include <QStyleOptionComboBox>

OVPopUpButtonCell::OVPopUpButtonCell(QWidget* parent) : QComboBox(parent) {}

QRect OVPopUpButtonCell::titleRect() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                   this);
}

void OVPopUpButtonCell::paintEvent(QPaintEvent*) {
    const double scale = devicePixelRatioF();
    if (background_.isNull() || background_.devicePixelRatio() != scale) {
        const ov::Size size = OVStyleKit::size(OVStyleKit::Icon::popupButton);
        background_ =
            OVRenderQImage(QSize(static_cast<int>(size.width), static_cast<int>(size.height)),
                           scale, [&](ov::GraphicsContext& ctx) {
                               // The background is drawn for a y-down view.
                               ctx.translateCTM(0, size.height);
                               ctx.scaleCTM(1, -1);
                               OVStyleKit::drawPopupButton(ctx);
                           });
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), background_);
    ov::detail::drawControlText(painter, currentText(), titleRect());
}
