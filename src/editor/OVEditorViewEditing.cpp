// Mouse and keyboard editing of the editor view.
//
// The gestures run as a small state machine over Qt's press, move and release events: a press
// on a watermark starts a move, a press on a handle (or in insertion mode) arms a resize that
// the first drag starts, a press beside every watermark starts a drag of the photograph out of
// the view. Each gesture ends at the left release, in a fixed order of operations.

#include "inkstead/editor/OVEditorView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace {

// A newly inserted watermark lands this many units left of the click.
constexpr double kInsertionOffset = 25.0;
constexpr double kNudgeStep = 1.0;
constexpr double kShiftNudgeStep = 20.0;

const QString kRemoveTitle = QStringLiteral("Remove");

} // namespace

void OVEditorView::sendReload() {
    if (const auto d = delegate_.lock())
        d->presetShouldReloadWatermarks();
}

ov::Point OVEditorView::unscaledPoint(const QMouseEvent* event) const {
    return unscalePoint(viewPoint(event->position()));
}

Qt::CursorShape OVEditorView::currentCursorShape() const {
    const QCursor* top = QGuiApplication::overrideCursor();
    return top ? top->shape() : cursor().shape();
}

void OVEditorView::watermark(const OVWatermarkPtr& watermark, std::size_t clickedAtIndex) {
    if (const auto d = delegate_.lock())
        d->watermark(watermark, clickedAtIndex);
}

// Qt events, dispatched to the view's operations

void OVEditorView::mousePressEvent(QMouseEvent* event) {
    // A gesture in progress owns the mouse until its left release.
    if (gesture_ != Gesture::none)
        return;
    if (event->button() == Qt::LeftButton)
        mouseDown(event);
    else if (event->button() == Qt::RightButton)
        rightMouseDown(event);
    else
        QWidget::mousePressEvent(event);
}

void OVEditorView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        if (event->buttons() == Qt::NoButton)
            mouseMoved(event);
        return;
    }
    switch (gesture_) {
    case Gesture::moving:
        moveStep(event);
        break;
    case Gesture::resizing:
        resizeStep(event);
        break;
    case Gesture::draggingOut:
        draggingSessionMovedToPoint({event->globalPosition().x(), event->globalPosition().y()});
        break;
    case Gesture::none:
        mouseDragged(event);
        break;
    }
}

void OVEditorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    switch (gesture_) {
    case Gesture::moving:
        endMove(event);
        break;
    case Gesture::resizing:
        endResize(event);
        break;
    case Gesture::draggingOut:
        // Released before the system drag started: nothing was dropped anywhere.
        draggingSessionEndedAtPoint({event->globalPosition().x(), event->globalPosition().y()},
                                    Qt::IgnoreAction);
        break;
    case Gesture::none:
        mouseUp(event);
        break;
    }
}

void OVEditorView::keyPressEvent(QKeyEvent* event) {
    keyDown(event);
}

void OVEditorView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    resetCursor();
}

// Left button

void OVEditorView::mouseDown(QMouseEvent* event) {
    if (!hasImage() || !preset_) {
        QWidget::mousePressEvent(event);
        return;
    }
    ov::Point p = unscaledPoint(event);
    if (preset_->insertionModeEnabled()) {
        const ov::Point origin = translatedOrigin();
        preset_->insertedWatermarkAtPoint({p.x - (origin.x + kInsertionOffset), p.y - origin.y});
        sendReload();
        // A following drag draws the new watermark out by its bottom-right handle.
        shouldResizeWatermark_ = true;
        setNeedsDisplay();
        return;
    }
    OVWatermarkPtr hitWatermark;
    if (!preset_->watermark(hitWatermark, p, scale_)) {
        preset_->enableEditingForWatermark(nullptr);
        sendReload();
        setNeedsDisplay();
        beginDraggingSessionWithEvent(event);
        return;
    }
    sendReload();
    if (!hitWatermark) {
        setNeedsDisplay();
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::ClosedHandCursor);
    if (preset_->handleAtPoint(p, hitWatermark, scale_) != OVWatermarkHandleNone) {
        // The drag handler resizes; the closed hand stays until that gesture ends.
        shouldResizeWatermark_ = true;
        return;
    }
    setNeedsDisplay();
    gesture_ = Gesture::moving;
    gestureWatermark_ = hitWatermark;
    gesturePoint_ = p;
}

void OVEditorView::moveStep(QMouseEvent* event) {
    const ov::Point q = unscaledPoint(event);
    // Points outside the photograph are ignored; the move is relative to the last one inside.
    if (!scaledImageFrame().contains(q))
        return;
    const ov::Rect covered =
        preset_->offsetWatermark(gestureWatermark_, q.x - gesturePoint_.x, q.y - gesturePoint_.y);
    setNeedsDisplayInRect(scaleRect(covered));
    gesturePoint_ = q;
}

void OVEditorView::endMove(QMouseEvent* event) {
    gesture_ = Gesture::none;
    gestureWatermark_.reset();
    QGuiApplication::restoreOverrideCursor();
    // Qt keeps no cursor rectangles to invalidate: the widget's cursor shows again by itself.
    mouseUp(event);
    setNeedsDisplay();
}

void OVEditorView::mouseDragged(QMouseEvent* event) {
    if (!shouldResizeWatermark_ || !preset_)
        return;
    const ov::Point p = unscaledPoint(event);
    // The watermark and the handle are found again here, at the first drag's point.
    const OVWatermarkPtr target = preset_->watermarkAtPoint(p, scale_);
    const OVWatermarkHandle handle = preset_->insertionModeEnabled()
                                         ? OVWatermarkHandleBottomRight
                                         : preset_->handleAtPoint(p, target, scale_);
    if (handle == OVWatermarkHandleNone) {
        shouldResizeWatermark_ = false;
        return;
    }
    gesture_ = Gesture::resizing;
    gestureWatermark_ = target;
    gestureHandle_ = handle;
}

void OVEditorView::resizeStep(QMouseEvent* event) {
    const ov::Point q = unscaledPoint(event);
    const ov::Point origin = translatedOrigin();
    preset_->resizeWatermark(gestureWatermark_, gestureHandle_, {q.x - origin.x, q.y - origin.y});
    setNeedsDisplay();
}

void OVEditorView::endResize(QMouseEvent* event) {
    gesture_ = Gesture::none;
    gestureWatermark_.reset();
    QGuiApplication::restoreOverrideCursor();
    // Ends insertion mode once the new watermark has been drawn out.
    preset_->cancelWatermarkInsert();
    QWidget::mouseReleaseEvent(event);
    shouldResizeWatermark_ = false;
}

void OVEditorView::mouseUp(QMouseEvent*) {
    resetCursor();
    // A click in insertion mode without a drag keeps the default size and ends the mode.
    if (preset_ && preset_->insertionModeEnabled())
        preset_->cancelWatermarkInsert();
}

// Pointer without buttons, cursors

void OVEditorView::mouseMoved(QMouseEvent*) {
    if (preset_ && preset_->insertionModeEnabled() && currentCursorShape() != Qt::CrossCursor)
        QGuiApplication::setOverrideCursor(Qt::CrossCursor);
}

void OVEditorView::resetCursor() {
    if (currentCursorShape() != Qt::ArrowCursor)
        QGuiApplication::restoreOverrideCursor();
}

void OVEditorView::updateTrackingAreas() {
    // Moves without a button pressed are what the insertion cursor follows.
    setMouseTracking(true);
}

// Right button

void OVEditorView::rightMouseDown(QMouseEvent* event) {
    if (!hasImage() || !preset_) {
        QWidget::mousePressEvent(event);
        return;
    }
    OVWatermarkPtr hitWatermark;
    if (preset_->watermark(hitWatermark, unscaledPoint(event), scale_) && hitWatermark) {
        QMenu menu(kRemoveTitle, this);
        QAction* remove = menu.addAction(kRemoveTitle);
        connect(remove, &QAction::triggered, this, [this] { removeWatermarkFromContextMenu(); });
        menu.exec(event->globalPosition().toPoint(), remove);
    }
    setNeedsDisplay();
}

void OVEditorView::removeWatermarkFromContextMenu() {
    const OVWatermarkPtr selected = preset_ ? preset_->selectedWatermark() : nullptr;
    if (!selected)
        return;
    const auto d = delegate_.lock();
    if (!d || !d->editorViewRemoveWatermark(selected))
        preset_->removeWatermark(selected);
    sendReload();
}

// Keys

void OVEditorView::keyDown(QKeyEvent* event) {
    const double step = (event->modifiers() & Qt::ShiftModifier) ? kShiftNudgeStep : kNudgeStep;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        removeWatermarkFromContextMenu();
        break;
    case Qt::Key_Escape:
        if (preset_) {
            preset_->cancelWatermarkInsert();
            preset_->enableEditingForWatermark(nullptr);
        }
        sendReload();
        setNeedsDisplay();
        break;
    case Qt::Key_Left:
        nudgeSelection(-step, 0);
        break;
    case Qt::Key_Right:
        nudgeSelection(step, 0);
        break;
    case Qt::Key_Down:
        nudgeSelection(0, -step);
        break;
    case Qt::Key_Up:
        nudgeSelection(0, step);
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

void OVEditorView::nudgeSelection(double dx, double dy) {
    const OVWatermarkPtr selected = preset_ ? preset_->selectedWatermark() : nullptr;
    if (selected)
        setNeedsDisplayInRect(scaleRect(preset_->offsetWatermark(selected, dx, dy)));
}
