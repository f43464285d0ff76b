#include "ImageList.h"

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/model/OVImage.h"
#include "inkstead/platform/files/FileReference.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>

namespace {
constexpr int kThumbnailSize = 64;

// Thumbnails are decoded on threads of their own: Qt's global pool also does the raster
// engine's parallel fills, which must never wait for a decode.
QThreadPool& thumbnailPool() {
    static QThreadPool pool;
    return pool;
}

// The thumbnail on a square of the list's size, so rows line up.
QIcon squareIcon(const QImage& image) {
    QPixmap square(kThumbnailSize, kThumbnailSize);
    square.fill(Qt::transparent);
    if (!image.isNull()) {
        QPainter painter(&square);
        const QImage fitted = image.scaled(kThumbnailSize, kThumbnailSize, Qt::KeepAspectRatio,
                                           Qt::SmoothTransformation);
        painter.drawImage((kThumbnailSize - fitted.width()) / 2,
                          (kThumbnailSize - fitted.height()) / 2, fitted);
    }
    return QIcon(square);
}
} // namespace

std::vector<std::filesystem::path> droppedFiles(const QMimeData* data) {
    std::vector<std::filesystem::path> files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.emplace_back(url.toLocalFile().toStdString());
    return files;
}

ImageList::ImageList(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setUniformItemSizes(true);
}

ImageList::~ImageList() {
    *alive_ = false;
}

void ImageList::reload(const OVModel& model) {
    const auto selected = selectedRows();
    const int current = currentRow();
    clear();
    for (const auto& entry : model.modelObjects()) {
        const auto url = entry->url();
        auto* item = new QListWidgetItem(this);
        if (!url) {
            const auto recorded = ov::recordedPathOfFileReference(entry->bookmark());
            item->setText((recorded ? QString::fromStdString(recorded->filename().string()) + "\n"
                                    : QString()) +
                          tr("(missing file)"));
            continue;
        }
        const OVImage image(*url);
        const QString path = QString::fromStdString(url->string());
        item->setText(QString::fromStdString(url->filename().string()) + "\n" +
                      QString::fromStdString(image.imageSubtitle()));
        item->setToolTip(path);
        item->setData(Qt::UserRole, path);
        if (thumbnails_.contains(path))
            item->setIcon(squareIcon(thumbnails_.value(path)));
        else {
            item->setIcon(squareIcon({}));
            requestThumbnail(path);
        }
    }
    for (std::size_t index : selected)
        if (auto* it = item(static_cast<int>(index)))
            it->setSelected(true);
    if (current >= 0 && current < count())
        setCurrentRow(current, QItemSelectionModel::NoUpdate);
}

std::vector<std::size_t> ImageList::selectedRows() const {
    std::vector<std::size_t> rows;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected())
            rows.push_back(static_cast<std::size_t>(i));
    return rows;
}

void ImageList::requestThumbnail(const QString& path) {
    thumbnails_.insert(path, QImage()); // asked for once
    ++pending_;
    QPointer<ImageList> self(this);
    std::weak_ptr<bool> alive = alive_;
    thumbnailPool().start([self, alive, path] {
        if (alive.expired())
            return; // the list is gone
        QImage image;
        if (const auto source = ov::ImageSource::createWithURL(path.toStdString()))
            image = OVQImage(source->createThumbnail(kThumbnailSize * 2));
        if (alive.expired() || !QCoreApplication::instance())
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, path, image] {
                if (self)
                    self->thumbnailReady(path, image);
            },
            Qt::QueuedConnection);
    });
}

void ImageList::thumbnailReady(const QString& path, const QImage& image) {
    --pending_;
    thumbnails_.insert(path, image);
    for (int i = 0; i < count(); ++i)
        if (item(i)->data(Qt::UserRole).toString() == path)
            item(i)->setIcon(squareIcon(image));
}

void ImageList::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ImageList::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ImageList::dropEvent(QDropEvent* event) {
    const auto files = droppedFiles(event->mimeData());
    if (files.empty())
        return;
    event->acceptProposedAction();
    Q_EMIT filesDropped(files);
}
