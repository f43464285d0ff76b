#pragma once

#include "inkstead/presets/OVPreset.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

class QUndoStack;

/// Records edits of the current preset's watermarks on an undo stack. An edit is framed by
/// begin() and commit(): begin() takes a snapshot of the watermark list, commit() takes another
/// and pushes one undoable step when the two differ (a click that moved nothing records
/// nothing). A begin() while an edit is open first commits that edit, so a gesture whose end
/// never arrived (a context menu took the release) loses nothing. Undo and redo put the
/// recorded list back, keep the selection and mark the preset for saving through its save
/// timer.
///
/// Removed image watermarks keep their picture files: picturesInUse() names the pictures of
/// every recorded step, for the preset manager's sweeps to keep.
class MarkHistory {
public:
    /// The watermark list as archived, and which watermark was selected.
    struct Snapshot {
        std::vector<std::uint8_t> archive;
        std::optional<ov::UUID> selected;
        std::vector<std::filesystem::path> pictures; ///< of its image watermarks
    };

    explicit MarkHistory(QUndoStack* stack) : stack_(stack) {}

    /// Steps belong to one preset: a new preset clears the stack.
    void setPreset(OVPresetPtr preset);
    [[nodiscard]] const OVPresetPtr& preset() const { return preset_; }
    /// Called after undo or redo changed the list.
    void setRestoredHandler(std::function<void()> handler) { onRestored_ = std::move(handler); }

    void begin();
    /// Steps with the same `mergeId` (not -1) that follow each other become one (typing).
    void commit(const QString& text, int mergeId = -1);
    /// begin(), `change`, commit() in one.
    void record(const QString& text, const std::function<void()>& change, int mergeId = -1);

    /// The picture files of the image watermarks of every step on the stack.
    [[nodiscard]] std::vector<std::filesystem::path> picturesInUse() const;

    [[nodiscard]] static Snapshot snapshot(const OVPreset& preset);
    /// Puts the list of `snapshot` into `preset` and selects the watermark it had selected.
    static void restore(OVPreset& preset, const Snapshot& snapshot);

private:
    QUndoStack* stack_;
    OVPresetPtr preset_;
    Snapshot before_;
    bool open_ = false;
    std::function<void()> onRestored_;
};
