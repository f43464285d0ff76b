#include "inkstead/appearance/OVSegmentedCell.h"

#include "inkstead/appearance/OVControlText_p.h"

#include <QMouseEvent>

#include <algorithm>

namespace {
constexpr double kTrackRadius = 2.5;
constexpr double kHighlightRadius = 2.5;
// The label's box sits this far above the segment frame.
constexpr double kLabelLift = 3.0;

// The label font: the default face at 12 points.
QFont labelFont() {
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(12);
    return font;
}
} // namespace

OVSegmentedCell::OVSegmentedCell(int segmentCount, QWidget* parent)
    : QWidget(parent), segmentCount_(std::max(segmentCount, 0)) {}

void OVSegmentedCell::setSegmentCount(int count) {
    segmentCount_ = std::max(count, 0);
    if (selectedSegment_ >= segmentCount_)
        selectedSegment_ = -1;
    update();
}

void OVSegmentedCell::setSelectedSegment(int segment) {
    if (segment < -1 || segment >= segmentCount_)
        segment = -1;
    if (segment == selectedSegment_)
        return;
    selectedSegment_ = segment;
    update();
}

QString OVSegmentedCell::labelForSegment(int segment) {
    switch (segment) {
    case 0:
        return QStringLiteral("Width");
    case 1:
        return QStringLiteral("Height");
    default:
        return {};
    }
}

QRectF OVSegmentedCell::frameForSegment(int segment) const {
    if (segmentCount_ <= 0)
        return {};
    const double w = static_cast<double>(width()) / segmentCount_;
    return {segment * w, 0, w, static_cast<double>(height())};
}

QRectF OVSegmentedCell::highlightRectForSegment(int segment, const QRectF& frame) {
    QRectF r(frame.x(), frame.y() + 2.0, frame.width() + 2.0, frame.height() - 4.0);
    if (segment > 0)
        r.translate(-2.0, 0);
    return r;
}

QSize OVSegmentedCell::sizeHint() const {
    return {std::max(segmentCount_, 1) * 64, 24};
}

void OVSegmentedCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The track behind the segments, with hairlines between them.
    QPainterPath track;
    track.addRoundedRect(QRectF(rect()).adjusted(0, 2, 0, -2), kTrackRadius, kTrackRadius);
    painter.fillPath(track, OVQColor(OVStyleKit::presetVCPrimaryTextColor()));
    painter.setPen(QPen(OVQColor(OVStyleKit::presetVCPrimaryTextColorDark()), 1.0));
    for (int i = 1; i < segmentCount_; ++i) {
        const double x = std::round(frameForSegment(i).x()) + 0.5;
        painter.drawLine(QPointF(x, 5), QPointF(x, height() - 5));
    }
    for (int i = 0; i < segmentCount_; ++i) {
        painter.save();
        drawSegment(painter, i, frameForSegment(i));
        painter.restore();
    }
}

void OVSegmentedCell::drawSegment(QPainter& painter, int segment, const QRectF& frame) {
    const QString label = labelForSegment(segment);
    QColor labelColor = OVQColor(OVStyleKit::presetVCBackgroundColor());
    if (segment == selectedSegment_) {
        labelColor = Qt::white;
        if (isEnabled()) {
            const QRectF highlight = highlightRectForSegment(segment, frame);
            QPainterPath rounded;
            rounded.addRoundedRect(highlight, kHighlightRadius, kHighlightRadius);
            painter.setClipPath(rounded, Qt::IntersectClip);
            painter.setClipRect(highlight, Qt::IntersectClip);
            // The clips keep the fill inside the rounded shape; they stay for the label.
            painter.fillRect(frame, OVQColor(OVStyleKit::highlightControlColor()));
        }
    }
    if (!isEnabled())
        labelColor = palette().color(QPalette::Disabled, QPalette::ButtonText);
    if (label.isEmpty())
        return;
    painter.setFont(labelFont());
    painter.setPen(labelColor);
    painter.drawText(frame.translated(0, -kLabelLift), Qt::AlignHCenter | Qt::AlignVCenter, label);
}

void OVSegmentedCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || segmentCount_ <= 0)
        return QWidget::mousePressEvent(event);
    const int segment = std::clamp(
        static_cast<int>(event->position().x() / (static_cast<double>(width()) / segmentCount_)), 0,
        segmentCount_ - 1);
    if (segment != selectedSegment_) {
        setSelectedSegment(segment);
        Q_EMIT selectedSegmentChanged(segment);
    }
}
