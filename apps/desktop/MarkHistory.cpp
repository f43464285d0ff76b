#include "MarkHistory.h"

#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"
#include "inkstead/watermarks/OVImageWatermark.h"

#include <QUndoCommand>
#include <QUndoStack>

namespace {

class MarkEdit : public QUndoCommand {
public:
    MarkEdit(const QString& text, std::weak_ptr<OVPreset> preset, MarkHistory::Snapshot before,
             MarkHistory::Snapshot after, int mergeId, std::function<void()> restored)
        : QUndoCommand(text), preset_(std::move(preset)), before_(std::move(before)),
          after_(std::move(after)), mergeId_(mergeId), restored_(std::move(restored)) {}

    int id() const override { return mergeId_; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const MarkEdit*>(other);
        if (next->preset_.lock() != preset_.lock())
            return false;
        after_ = next->after_;
        return true;
    }
    void undo() override { apply(before_); }
    void addPictures(std::vector<std::filesystem::path>& pictures) const {
        pictures.insert(pictures.end(), before_.pictures.begin(), before_.pictures.end());
        pictures.insert(pictures.end(), after_.pictures.begin(), after_.pictures.end());
    }
    void redo() override {
        // The edit is already in place when the step is pushed.
        if (std::exchange(firstRedo_, false))
            return;
        apply(after_);
    }

private:
    void apply(const MarkHistory::Snapshot& snapshot) {
        if (auto preset = preset_.lock()) {
            MarkHistory::restore(*preset, snapshot);
            if (restored_)
                restored_();
        }
    }

    std::weak_ptr<OVPreset> preset_;
    MarkHistory::Snapshot before_, after_;
    int mergeId_;
    std::function<void()> restored_;
    bool firstRedo_ = true;
};

} // namespace

void MarkHistory::setPreset(OVPresetPtr preset) {
    if (preset == preset_)
        return;
    preset_ = std::move(preset);
    open_ = false;
    stack_->clear();
}

MarkHistory::Snapshot MarkHistory::snapshot(const OVPreset& preset) {
    std::vector<std::shared_ptr<const ov::KeyedCoding>> objects;
    std::vector<std::filesystem::path> pictures;
    for (const auto& w : preset.watermarks()) {
        objects.push_back(w);
        if (const auto* image = dynamic_cast<const OVImageWatermark*>(w.get()))
            pictures.push_back(image->imageURL());
    }
    const auto selected = preset.selectedWatermark();
    return {ov::KeyedArchiver::archivedDataWithRootArray(objects),
            selected ? std::optional(selected->uuid()) : std::nullopt, std::move(pictures)};
}

void MarkHistory::restore(OVPreset& preset, const Snapshot& snapshot) {
    auto list = ov::KeyedUnarchiver::unarchivedRootArrayOfClass<OVWatermark>(snapshot.archive);
    if (!list)
        return;
    // Visibility is not archived: hidden watermarks stay hidden.
    for (const auto& w : *list)
        if (const auto old = preset.watermarkWithID(w->uuid()))
            w->setVisible(old->isVisible());
    preset.setWatermarks(*list);
    preset.enableEditingForWatermark(snapshot.selected ? preset.watermarkWithID(*snapshot.selected)
                                                       : nullptr);
    preset.setShouldSave(true);
}

std::vector<std::filesystem::path> MarkHistory::picturesInUse() const {
    std::vector<std::filesystem::path> pictures;
    for (int i = 0; i < stack_->count(); ++i)
        if (const auto* edit = dynamic_cast<const MarkEdit*>(stack_->command(i)))
            edit->addPictures(pictures);
    return pictures;
}

void MarkHistory::begin() {
    if (!preset_)
        return;
    if (open_)
        commit(QObject::tr("Edit watermark"));
    before_ = snapshot(*preset_);
    open_ = true;
}

void MarkHistory::commit(const QString& text, int mergeId) {
    if (!preset_ || !open_)
        return;
    open_ = false;
    Snapshot after = snapshot(*preset_);
    if (after.archive == before_.archive)
        return; // a selection alone is no edit
    // An undo or redo also ends any edit left open.
    stack_->push(new MarkEdit(text, preset_, std::move(before_), std::move(after), mergeId, [this] {
        open_ = false;
        if (onRestored_)
            onRestored_();
    }));
}

void MarkHistory::record(const QString& text, const std::function<void()>& change, int mergeId) {
    begin();
    change();
    commit(text, mergeId);
}
