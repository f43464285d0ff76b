// Drag and drop of the editor view: image files dropped in, the watermarked photograph dragged
// out as a promise of a file that the delegate writes when the drop target asks for it.

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/editor/OVEditorDragSession_p.h"
#include "inkstead/editor/OVEditorView.h"
#include "inkstead/export/OVSaveManager.h"
#include "inkstead/geometry/OVGeometry.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

// The drag picture fits in this many points, aspect kept.
constexpr ov::Size kThumbnailLimit{150, 150};
// The drag picture is rendered once the pointer has moved further than this, in points.
constexpr double kDragStartThreshold = 5.0;

OVDraggingContext contextUnderPointer() {
    return QApplication::topLevelAt(QCursor::pos()) ? OVDraggingContext::withinApplication
                                                    : OVDraggingContext::outsideApplication;
}

} // namespace

// Destination

bool OVEditorView::acceptsDrag(const QDropEvent* event) const {
    // Only files from other applications, and only as copies.
    return event->source() == nullptr && (event->possibleActions() & Qt::CopyAction) &&
           event->mimeData() && event->mimeData()->hasUrls();
}

void OVEditorView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void OVEditorView::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptsDrag(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void OVEditorView::dropEvent(QDropEvent* event) {
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files.emplace_back(url.toLocalFile().toStdString());
    if (!files.empty())
        editorViewDragDestinationReceivedImages(files);
    // The drop succeeds even when it carried no file.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void OVEditorView::editorViewDragDestinationReceivedImages(
    const std::vector<std::filesystem::path>& files) {
    if (const auto d = delegate_.lock())
        d->editorViewDragDestinationReceivedImages(files);
}

// Source

ov::Rect OVEditorView::draggingSessionThumbnailFrameAtPoint(ov::Point point) const {
    return {point, OVMakeSizeWithAspectRatioInsideSize(originalImageSize_, kThumbnailLimit)};
}

Qt::DropActions OVEditorView::draggingSessionSourceOperationMask(OVDraggingContext context) const {
    return context == OVDraggingContext::outsideApplication ? Qt::CopyAction : Qt::IgnoreAction;
}

void OVEditorView::beginDraggingSessionWithEvent(QMouseEvent* event) {
    if (dragSession_)
        return;
    QPointer<OVEditorView> self(this);
    auto provider = [self] {
        QList<QUrl> urls;
        if (self)
            for (const auto& file : self->providePromisedFiles())
                urls.append(QUrl::fromLocalFile(QString::fromStdString(file.string())));
        return urls;
    };
    auto refused = [self] {
        return !self ||
               self->draggingSessionSourceOperationMask(contextUnderPointer()) == Qt::IgnoreAction;
    };
    auto session = std::make_unique<DragSession>();
    session->item = new OVPromisedFileMimeData(std::move(provider), std::move(refused));
    session->drag = new QDrag(this);
    session->drag->setMimeData(session->item);
    session->frame = draggingSessionThumbnailFrameAtPoint(viewPoint(event->position()));
    dragSession_ = std::move(session);
    gesture_ = Gesture::draggingOut;
}

void OVEditorView::draggingSessionMovedToPoint(ov::Point screenPoint) {
    if (!dragSession_ || !dragSession_->drag)
        return;
    DragSession& session = *dragSession_;
    if (draggedThumbnailSourceOrigin_ == ov::PointZero)
        draggedThumbnailSourceOrigin_ = screenPoint;
    if (session.hasImageComponents)
        return;
    const ov::Point first = draggedThumbnailSourceOrigin_;
    if (!(std::fabs(std::fabs(screenPoint.x) - std::fabs(first.x)) > kDragStartThreshold ||
          std::fabs(std::fabs(screenPoint.y) - std::fabs(first.y)) > kDragStartThreshold))
        return;

    // Rendered once per drag-out, through the view's own preset: its bounds stay those of the
    // full picture until the next redraw.
    session.frame = draggingSessionThumbnailFrameAtPoint(screenPoint);
    const ov::ImagePtr picture = OVSaveManager::watermarkCGImageSource(source_, preset_);
    if (picture) {
        const double ratio = devicePixelRatioF();
        const QSize pixels(
            std::max(1, static_cast<int>(std::lround(session.frame.width() * ratio))),
            std::max(1, static_cast<int>(std::lround(session.frame.height() * ratio))));
        QPixmap pixmap = QPixmap::fromImage(
            OVQImage(picture).scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        pixmap.setDevicePixelRatio(ratio);
        session.drag->setPixmap(pixmap);
        // The frame's lower-left corner follows the pointer.
        session.drag->setHotSpot(QPoint(0, static_cast<int>(std::lround(session.frame.height()))));
    }
    session.hasImageComponents = true;

    // The system drag runs from here to the drop.
    QPointer<OVEditorView> self(this);
    QPointer<QDrag> drag = session.drag;
    Qt::DropAction operation = executeDrag(*drag);
    if (!self)
        return;
    // A target inside the application cannot take the photograph, whatever it answered.
    if (drag && drag->target())
        operation = Qt::IgnoreAction;
    const QPoint end = QCursor::pos();
    draggingSessionEndedAtPoint({static_cast<double>(end.x()), static_cast<double>(end.y())},
                                operation);
}

Qt::DropAction OVEditorView::executeDrag(QDrag& drag) {
    return drag.exec(draggingSessionSourceOperationMask(OVDraggingContext::outsideApplication),
                     Qt::CopyAction);
}

void OVEditorView::draggingSessionEndedAtPoint(ov::Point, Qt::DropAction) {
    // The file, if any, was written when the drop target asked for it; here the drag-out only
    // ends, accepted or not.
    if (dragSession_ && dragSession_->drag)
        dragSession_->drag->deleteLater();
    dragSession_.reset();
    draggedThumbnailSourceOrigin_ = ov::PointZero;
    gesture_ = Gesture::none;
}

std::vector<std::filesystem::path> OVEditorView::providePromisedFiles() {
    // A fresh directory per drag-out; the previous one goes with its files, which their drop
    // target has copied long since.
    promisedFilesDirectory_ = std::make_unique<QTemporaryDir>();
    if (!promisedFilesDirectory_->isValid())
        return {};
    const std::filesystem::path directory = promisedFilesDirectory_->path().toStdString();
    saveCurrentImageToDirectory(directory);
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error))
        if (entry.is_regular_file(error))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void OVEditorView::saveCurrentImageToDirectory(const std::filesystem::path& directory) {
    if (const auto d = delegate_.lock())
        d->saveCurrentImageToDirectory(directory);
}
