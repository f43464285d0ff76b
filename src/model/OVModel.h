#pragma once

#include "inkstead/export/OVSaveImageList.h"
#include "inkstead/model/OVModelObject.h"
#include "inkstead/platform/archive/UUID.h"
#include "inkstead/platform/files/FileReference.h"
#include "inkstead/presets/OVNotifications.h" // kOVModelChanged, posted by addURLs

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

/// A folder whose entries could not be listed, and why.
struct OVUnreadableFolder {
    std::filesystem::path folder;
    std::error_code error;
};

/// The list of images to watermark, in the order they were added, each with its preset.
///
/// Adding a folder adds every image below it (hidden items skipped, subfolders entered, entries
/// of each folder sorted by name, so the same folder always gives the same order); only files
/// the image pipeline can read count. A file already in the list (same bookmark bytes) is not
/// added again and keeps its earlier preset.
///
/// List changes belong to the main thread; the list may be read from any thread (a batch export
/// reads it from its workers while the host leaves it unchanged). All operations are
/// thread-safe.
class OVModel : public OVSaveImageList {
public:
    using ObjectList = std::vector<std::shared_ptr<OVModelObject>>;

    OVModel() = default;

    //! \name The list
    /// A copy of the entries.
    [[nodiscard]] ObjectList modelObjects() const;
    void setModelObjects(ObjectList objects);
    [[nodiscard]] ObjectList allObjects() const { return modelObjects(); }
    [[nodiscard]] std::size_t count() const override;
    /// Null when `index` is not below the count.
    [[nodiscard]] std::shared_ptr<OVModelObject> objectAtIndex(std::size_t index) const;
    /// The entry's file, resolved now; no value when the index is out of range or the file is
    /// gone.
    [[nodiscard]] std::optional<std::filesystem::path> URLAtIndex(std::size_t index) const override;
    /// True when some entry's bookmark has exactly these bytes.
    [[nodiscard]] bool containsBookmark(const ov::FileReferenceData& bookmark) const;

    //! \name Adding and removing
    /// Adds the readable images at `url` (a file or a folder) with `presetID`. Posts nothing.
    /// Folders below `url` that cannot be listed are skipped and, when `unreadable` is given,
    /// added to it.
    void addURL(const std::filesystem::path& url, const std::optional<ov::UUID>& presetID,
                std::vector<OVUnreadableFolder>* unreadable = nullptr);
    /// `addURL` for each path (relative ones against the working folder), then posts
    /// kOVModelChanged once on the default center, even when nothing was added.
    void addURLs(const std::vector<std::filesystem::path>& urls,
                 const std::optional<ov::UUID>& presetID);
    void addURLs(const std::vector<std::string>& paths, const std::optional<ov::UUID>& presetID);
    /// Out-of-range indexes are ignored. None of these post.
    void removeObjectAtIndex(std::size_t index);
    void removeObjectsAtIndexes(const std::set<std::size_t>& indexes);
    void removeAllObjects();

    //! \name Presets
    /// Sets the preset of every entry (entries are visited in parallel).
    void updateObjectsToPresetID(const std::optional<ov::UUID>& presetID);
    /// The entry's preset identifier as text; empty when out of range or unset.
    [[nodiscard]] std::string presetIDAtIndex(std::size_t index) const override;

private:
    mutable std::mutex mutex_;
    ObjectList objects_;
    /// The bookmark bytes of the entries, kept between additions. Dropped when entries leave and
    /// whenever one is handed out, since a handed-out entry may refresh its bookmark.
    mutable std::optional<std::unordered_set<std::string>> knownBookmarks_;
};
