#include "MarkList.h"

#include "MarkProperties.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

MarkList::MarkList(QWidget* parent) : QListWidget(parent) {
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!loading_)
            Q_EMIT markSelected(markAt(row));
    });
    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!loading_)
            Q_EMIT markVisibilityChanged(markAt(row(item)), item->checkState() == Qt::Checked);
    });
}

OVWatermarkPtr MarkList::markAt(int row) const {
    if (row < 0 || row >= count())
        return nullptr;
    const auto index = item(row)->data(Qt::UserRole).toULongLong();
    return index < shown_.size() ? shown_[index] : nullptr;
}

void MarkList::reload(const OVPresetPtr& preset) {
    loading_ = true;
    clear();
    shown_.clear();
    if (preset) {
        const auto selected = preset->selectedWatermark();
        for (std::size_t i = 0; i < preset->numberOfWatermarks(); ++i) {
            const auto mark = preset->watermarkAtIndex(i);
            std::string name = markKindTitle(*mark);
            if (auto* text = dynamic_cast<const OVTextWatermark*>(mark.get()))
                name += ": " + text->stringValue().value_or("");
            auto* row = new QListWidgetItem(QString::fromStdString(name), this);
            row->setFlags(row->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
            row->setCheckState(mark->isVisible() ? Qt::Checked : Qt::Unchecked);
            row->setData(Qt::UserRole, static_cast<qulonglong>(shown_.size()));
            shown_.push_back(mark);
            if (selected && mark->isEqualToWatermark(selected))
                setCurrentItem(row);
        }
    }
    loading_ = false;
}

bool MarkList::isRowDrag(const QDropEvent* event) const {
    // A drag of this list's rows (a drag from within the process has no source while Qt does not
    // run it itself).
    return (event->source() == this || !event->source()) &&
           event->mimeData()->hasFormat(model()->mimeTypes().front());
}

void MarkList::dragEnterEvent(QDragEnterEvent* event) {
    if (isRowDrag(event)) {
        QListWidget::dragEnterEvent(event);
        event->accept();
    } else
        event->ignore();
}

void MarkList::dragMoveEvent(QDragMoveEvent* event) {
    if (isRowDrag(event)) {
        QListWidget::dragMoveEvent(event);
        event->accept();
    } else
        event->ignore();
}

void MarkList::dropEvent(QDropEvent* event) {
    // Only rows of this list are moved, and the list moves nothing itself: the new order is
    // reported and the rows are rebuilt from the preset.
    const int from = currentRow();
    if (!isRowDrag(event) || from < 0) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    int to = count();
    if (const QModelIndex over = indexAt(at); over.isValid())
        to = over.row() + (at.y() > visualRect(over).center().y() ? 1 : 0);
    // A copy for Qt: the dragging side must not delete the rows it sent.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (to == from || to == from + 1)
        return;
    std::vector<OVWatermarkPtr> rows;
    for (int row = 0; row < count(); ++row)
        rows.push_back(markAt(row));
    const auto moved = rows[static_cast<std::size_t>(from)];
    rows.erase(rows.begin() + from);
    rows.insert(rows.begin() + (to > from ? to - 1 : to), moved);
    std::vector<OVWatermarkPtr> order(rows.rbegin(), rows.rend()); // bottom-most first
    // Reported once the drop is over: the handler rebuilds the rows.
    QTimer::singleShot(0, this, [this, order] { Q_EMIT marksReordered(order); });
}
