#pragma once

#include <QWidget>

/// The segmented control of the dark theme that chooses between width and height: segments of
/// equal width on a light track; segment 0 reads "Width", segment 1 "Height", further segments
/// no label. The selected segment is filled with highlightControlColor (while enabled) and
/// labelled in white; the others are labelled in presetVCBackgroundColor; a disabled control
/// labels every segment in the palette's disabled text colour.
///
/// Geometry is in the widget's points, y downward (Qt's); the vertical offsets below are stated
/// as they appear on screen.
class OVSegmentedCell : public QWidget {
    Q_OBJECT
public:
    explicit OVSegmentedCell(int segmentCount = 2, QWidget* parent = nullptr);

    [[nodiscard]] int segmentCount() const { return segmentCount_; }
    void setSegmentCount(int count);
    /// -1 when no segment is selected.
    [[nodiscard]] int selectedSegment() const { return selectedSegment_; }
    void setSelectedSegment(int segment);

    /// "Width", "Height", or empty for any other segment.
    [[nodiscard]] static QString labelForSegment(int segment);
    /// The frame of one segment in the widget: the width split evenly, the full height.
    [[nodiscard]] QRectF frameForSegment(int segment) const;
    /// Where a selected segment's highlight is filled, before it is cut to the segment frame:
    /// the frame 2 points shorter at top and bottom and 2 points wider, and for every segment
    /// but the first moved 2 points to the left. Its corners are rounded by 2.5 points.
    [[nodiscard]] static QRectF highlightRectForSegment(int segment, const QRectF& frame);

    [[nodiscard]] QSize sizeHint() const override;

Q_SIGNALS:
    /// A click selected another segment.
    void selectedSegmentChanged(int segment);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    /// Draws one segment's highlight and label.
    virtual void drawSegment(QPainter& painter, int segment, const QRectF& frame);

private:
    int segmentCount_;
    int selectedSegment_ = -1;
};
