#include "inkstead/appearance/OVColorWell.h"

#include "inkstead/appearance/OVControlText_p.h"

#include <QColorDialog>
#include <QMouseEvent>

OVColorWell::OVColorWell(QWidget* parent) : QWidget(parent) {}

void OVColorWell::setColor(const ov::Color& color) {
    if (color == color_)
        return;
    color_ = color;
    update();
}

void OVColorWell::setPopover(QWidget* popover) {
    if (popover == popover_)
        return;
    if (popover_ && popover_->parent() == this)
        popover_->deleteLater();
    popover_ = popover;
    if (popover && !popover->parent())
        popover->setParent(this, popover->windowFlags() | Qt::Window);
}

void OVColorWell::activate() {
    if (chooser_) {
        chooser_->raise();
        return;
    }
    auto* chooser = new QColorDialog(OVQColor(color_), this);
    chooser->setOption(QColorDialog::ShowAlphaChannel);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    connect(chooser, &QColorDialog::currentColorChanged, this, [this](const QColor& chosen) {
        const ov::Color c = OVColorFromQColor(chosen);
        if (c == color_)
            return;
        setColor(c);
        Q_EMIT colorChanged();
    });
    // Cancel in the chooser takes back what it changed.
    connect(chooser, &QDialog::rejected, this, [this, original = color_] {
        if (color_ == original)
            return;
        setColor(original);
        Q_EMIT colorChanged();
    });
    chooser_ = chooser;
    chooser->open();
}

void OVColorWell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ov::detail::setRoundedClip(painter, rect(), 2.0);
    painter.fillRect(rect(), OVQColor(OVStyleKit::editorViewBackgroundColor()));
    painter.fillRect(QRectF(rect()).adjusted(1, 1, -1, -1), OVQColor(color_));
}

void OVColorWell::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        activate();
    else
        QWidget::mouseReleaseEvent(event);
}
