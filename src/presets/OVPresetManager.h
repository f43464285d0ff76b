#pragma once

#include "inkstead/platform/archive/UUID.h"
#include "inkstead/platform/log/Result.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/storage/OVStorage.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class OVImportedPreset;

/// Owns the ordered list of presets: loads it from the presets file when made, writes it back
/// after every change of the list, hands presets out by index, identifier or name, and sweeps
/// the folder of watermark pictures of files that no preset uses any more.
///
/// The list can be absent: when the presets file exists but holds no list of presets, count()
/// is 0, every look-up is null and the list operations change nothing. Such a file is moved
/// aside (renamed with a timestamp, and a log line says where) before anything can replace it.
///
/// Saving: savePresets() archives the list on the calling thread (a consistent snapshot) and
/// writes it on a background queue. Writes are serialised and coalesced, so the file always ends
/// up holding the latest snapshot, and each write replaces the file atomically. Each call hands
/// back a future of the outcome of the write that carries its snapshot (or a later one).
///
/// Threads: the list operations are for the main thread; presets() and setPresets() are atomic.
/// The sweep runs on the main queue. The destructor waits for the pending write.
class OVPresetManager {
public:
    /// Loads the list (initializePresets()) and schedules the sweep of orphaned pictures
    /// `sweepDelay` from now on the main queue; no sweep at all without a delay (for short-lived
    /// hosts that share the storage with a long-running one).
    explicit OVPresetManager(
        std::optional<std::chrono::nanoseconds> sweepDelay = std::chrono::seconds(5));
    /// The same with `storageDirectory` as the storage folder (presets file and pictures)
    /// instead of the process's one. Nothing process-wide changes: several managers with
    /// folders of their own can live side by side.
    explicit OVPresetManager(
        std::filesystem::path storageDirectory,
        std::optional<std::chrono::nanoseconds> sweepDelay = std::chrono::seconds(5));
    /// The presets of another presets file, to look at: the list is read at once and its image
    /// watermarks take their pictures from `pictures`. Nothing is ever written or deleted: the
    /// storage is `pictures` made read-only (OVStorageFolder::readOnly()), saves fail and no
    /// sweep runs. Fails with no_such_file_or_directory when `file` is not a regular file, with
    /// the read's error when it cannot be read, and with invalid_argument when it holds no list
    /// of presets.
    [[nodiscard]] static ov::Result<std::unique_ptr<OVPresetManager>>
    presetsOfFile(const std::filesystem::path& file, const OVStorageFolder& pictures);
    ~OVPresetManager();
    OVPresetManager(const OVPresetManager&) = delete;
    OVPresetManager& operator=(const OVPresetManager&) = delete;

    //! \name The list
    /// The list in the user's order; no value when the manager has none.
    [[nodiscard]] std::optional<std::vector<OVPresetPtr>> presets() const;
    void setPresets(std::optional<std::vector<OVPresetPtr>> presets);
    /// The decoded list; on first run (no presets file) a new list holding the "Default" preset,
    /// which is saved at once so the file exists from then on.
    std::optional<std::vector<OVPresetPtr>> initializePresets();
    /// Writes the whole list to the presets file in the background. The future tells whether
    /// the file now holds the list, and why not (no list, a presets file that could not be read
    /// and is kept untouched, no storage folder, or the write's own error). Waiting on it is
    /// optional.
    std::shared_future<ov::Result<void>> savePresets();
    /// Blocks until every save started so far has reached the disk (or failed).
    void waitForPendingSaves() const;
    /// The presets file (the one read, for presetsOfFile()); creates the storage directory when
    /// missing.
    [[nodiscard]] std::filesystem::path presetArchivePath() const;
    /// Whether the manager only reads (presetsOfFile()).
    [[nodiscard]] bool isReadOnly() const;
    /// The storage folder of the presets file and of the pictures of its image watermarks.
    /// Listed presets' watermarks keep their pictures there: the manager attaches them when it
    /// loads, when the list is set or changed and when it saves.
    [[nodiscard]] const OVStorageFolder& storage() const;

    //! \name Look-ups
    /// Null when the index is negative or not below the count.
    [[nodiscard]] OVPresetPtr presetAtIndex(std::ptrdiff_t index) const;
    /// The first preset with this identifier, or null.
    [[nodiscard]] OVPresetPtr presetWithID(const ov::UUID& uuid) const;
    /// The first preset with exactly this name (case-sensitive), or null.
    [[nodiscard]] OVPresetPtr presetWithName(std::string_view name) const;
    /// The preset with this identifier (written as text), else the first with exactly this
    /// name, or null.
    [[nodiscard]] OVPresetPtr presetWithNameOrID(std::string_view nameOrID) const;
    /// Where `preset` is in the list; nothing when it is not listed.
    [[nodiscard]] std::optional<std::size_t> indexOfPreset(const OVPresetPtr& preset) const;
    /// `name` when no listed preset has it, else the first free "<name> 2", "<name> 3", ...
    [[nodiscard]] std::string freePresetName(const std::string& name) const;
    [[nodiscard]] std::size_t count() const;
    /// A copy of the list; no value when the manager has none.
    [[nodiscard]] std::optional<std::vector<OVPresetPtr>> allPresets() const;
    [[nodiscard]] OVPresetPtr firstPreset() const;

    //! \name Changing the list (each change is reported to the observer, then saved)
    enum class PresetsChange { Insertion, Removal };
    /// Told of each insertion and removal made through the two operations below, with the
    /// index concerned, on the thread that made it (setPresets() is not reported).
    using PresetsObserver = std::function<void(PresetsChange change, std::size_t index)>;
    void setPresetsObserver(PresetsObserver observer);
    /// Inserts at `index` (0 to count); other indexes, or a null preset, change nothing.
    void insertObject(const OVPresetPtr& preset, std::size_t index);
    /// Removes the preset at `index`; an index not below the count changes nothing.
    void removeObjectFromPresetsAtIndex(std::size_t index);

    /// What importPreset() did.
    struct Import {
        /// The preset whose place and identifier the imported one took; null when none.
        OVPresetPtr replaced;
        /// The imported preset got a new identifier, its own being taken.
        bool newIdentity = false;
        /// The name the preset was recorded with, when it was taken and the preset got a free
        /// one instead (freePresetName()); empty otherwise.
        std::string recordedName;
    };
    /// Lists a preset read from its JSON form and writes its pictures into the storage. With
    /// `replace` it takes the place and the identifier of the first preset of its name, if
    /// there is one; otherwise it goes to the end of the list, under a free name, with
    /// identifiers of its own where its recorded ones are taken (OVImportedPreset::
    /// makeDistinctFrom()). The list is saved as after insertObject(); once the caller knows
    /// the file holds it (savePresets()), removeReplacedPictures() deletes the pictures of the
    /// replaced preset, and when it cannot be saved, OVImportedPreset::removeStoredPictures()
    /// those of the imported one. Fails, leaving the list as it was, when the pictures cannot
    /// be written.
    [[nodiscard]] ov::Result<Import> importPreset(OVImportedPreset& imported, bool replace);
    /// Deletes the pictures of `import`'s replaced preset that the imported one does not use.
    static void removeReplacedPictures(const Import& import, const OVPreset& imported);

    //! \name Watermark pictures
    /// Paths of the pictures the listed presets' image watermarks use.
    [[nodiscard]] std::vector<std::filesystem::path> validPresetAssets() const;
    /// Everything in the picture folder, subfolders entered, hidden items skipped.
    [[nodiscard]] std::vector<std::filesystem::path> expiringPresetAssets() const;
    /// Schedules the sweep: after the delay given at construction, deletes (on the main queue)
    /// every item of expiringPresetAssets() that no listed preset uses and no picture reference
    /// (addPictureReferences()) names; folders go with their contents. Errors are ignored.
    ///
    /// Nothing is deleted while the pictures may still be needed: when the list did not load
    /// completely (an unreadable or damaged presets file, an image watermark without a readable
    /// identity), while a presets file kept aside is in the storage folder (it is recovered with
    /// its pictures), and while a hold from holdSweeps() lives: a sweep that comes due then runs
    /// when the last hold goes.
    void cleanupOrphanedPresetAssets();
    /// Keeps sweeps waiting until the returned object is released (from any thread). Batch
    /// exports hold one while they render, so no picture they draw goes from under them.
    [[nodiscard]] std::shared_ptr<void> holdSweeps();
    /// Pictures in use outside the listed presets, such as those of watermarks an undo history
    /// can bring back: every sweep calls `pictures` (on the main queue) and keeps the files it
    /// names, for as long as the returned object lives.
    [[nodiscard]] std::shared_ptr<void>
    addPictureReferences(std::function<std::vector<std::filesystem::path>()> pictures);

private:
    struct State;
    explicit OVPresetManager(std::shared_ptr<State> state);
    std::shared_ptr<State> d;
};
