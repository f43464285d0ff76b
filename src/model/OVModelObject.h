#pragma once

#include "inkstead/platform/archive/UUID.h"
#include "inkstead/platform/files/FileReference.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

/// One entry of the image list: a durable reference ("bookmark") to an image file and the
/// identifier of the preset to stamp on it.
///
/// The entry holds no path: `url()` resolves the bookmark afresh at every call, so the file is
/// found again after it was moved or renamed within its folder tree, and the bookmark is then
/// replaced by a fresh one. Thread-safe: worker threads of a batch export read `url()` (which
/// may replace the bookmark) while the main thread reads the entry.
class OVModelObject {
public:
    /// An entry without bookmark and without preset.
    OVModelObject() = default;
    /// An entry for the file at `url` (bookmark made now; no preset yet).
    explicit OVModelObject(const std::filesystem::path& url);
    static std::shared_ptr<OVModelObject> modelObjectWithURL(const std::filesystem::path& url);

    /// The bookmark of `url`; empty (and one log line) when it cannot be made.
    [[nodiscard]] static ov::FileReferenceData
    createBookmarkWithURL(const std::filesystem::path& url);

    /// Empty when the bookmark could not be made.
    [[nodiscard]] ov::FileReferenceData bookmark() const;
    void setBookmark(ov::FileReferenceData bookmark);

    /// The identifier of the entry's preset; no value after creation.
    [[nodiscard]] std::optional<ov::UUID> presetID() const;
    void setPresetID(std::optional<ov::UUID> presetID);

    /// The file's current path, resolved from the bookmark; no value (and one log line) when
    /// the file cannot be found. A bookmark found stale is replaced by a fresh one when the file
    /// is readable.
    [[nodiscard]] std::optional<std::filesystem::path> resolveURLFromBookmark();
    [[nodiscard]] std::optional<std::filesystem::path> url() { return resolveURLFromBookmark(); }

private:
    mutable std::mutex mutex_;
    ov::FileReferenceData bookmark_;
    std::optional<ov::UUID> presetID_;
};
