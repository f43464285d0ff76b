#pragma once

#include "inkstead/model/OVModel.h"

#include <QHash>
#include <QImage>
#include <QListWidget>

#include <filesystem>
#include <memory>
#include <vector>

/// The list of images to watermark: one row per entry of the image list, with a thumbnail, the
/// file's name and its size. Thumbnails are decoded on worker threads and appear as they come.
/// Files and folders dropped on the list are offered through filesDropped().
class ImageList : public QListWidget {
    Q_OBJECT

public:
    explicit ImageList(QWidget* parent = nullptr);
    ~ImageList() override;

    /// Rebuilds the rows from the model's entries, keeping thumbnails already made.
    void reload(const OVModel& model);
    /// Selected rows, ascending.
    [[nodiscard]] std::vector<std::size_t> selectedRows() const;
    /// Thumbnails still being made.
    [[nodiscard]] int pendingThumbnails() const { return pending_; }

Q_SIGNALS:
    void filesDropped(const std::vector<std::filesystem::path>& files);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void requestThumbnail(const QString& path);
    void thumbnailReady(const QString& path, const QImage& image);

    QHash<QString, QImage> thumbnails_;
    int pending_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

/// The local files of a drop (files and folders), in drop order.
[[nodiscard]] std::vector<std::filesystem::path> droppedFiles(const QMimeData* data);
