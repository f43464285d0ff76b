#pragma once

// What the theme's controls share when they draw: the text attributes and the rounded clip.

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVStyleKit.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace ov::detail {

/// The system font at the system font size.
inline QFont controlFont() {
    return QApplication::font();
}

/// Replaces the painter's clip by the rounded rectangle of `rect` with the given radii.
inline void setRoundedClip(QPainter& painter, const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.setClipPath(path, Qt::ReplaceClip);
}

/// Draws `text` on one line in the primary text colour and the system font, left aligned and
/// centred vertically in `rect`, cut off with an ellipsis when too long.
inline void drawControlText(QPainter& painter, const QString& text, const QRectF& rect,
                            int flags = Qt::AlignLeft | Qt::AlignVCenter) {
    painter.save();
    painter.setFont(controlFont());
    painter.setPen(OVQColor(OVStyleKit::presetVCPrimaryTextColor()));
    const QString shown =
        painter.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(rect.width()));
    painter.drawText(rect, flags | Qt::TextSingleLine, shown);
    painter.restore();
}

} // namespace ov::detail
