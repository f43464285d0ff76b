#include "MarkList.h"

#include "MarkProperties.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <QDropEvent>
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

void MarkList::dropEvent(QDropEvent* event) {
    QListWidget::dropEvent(event);
    std::vector<OVWatermarkPtr> order;
    for (int row = count() - 1; row >= 0; --row)
        if (auto mark = markAt(row))
            order.push_back(std::move(mark));
    // Reported once the drop is over: the handler rebuilds the rows.
    if (order.size() == shown_.size())
        QTimer::singleShot(0, this, [this, order] { Q_EMIT marksReordered(order); });
}
