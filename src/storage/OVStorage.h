#pragma once

#include "inkstead/platform/files/FileLock.h"

#include <filesystem>
#include <string_view>

//! \name Shared storage
//! The library keeps its files in one storage directory inside the shared container
//! (`$INKSTEAD_HOME`, else the XDG data directory): the presets file and the folder of the
//! pictures that image watermarks draw.

/// Identifier of the application group whose container holds the storage directory.
inline constexpr std::string_view kOVGroupIdentifier = "org.inkstead.shared";
/// The storage directory, below the shared container.
inline constexpr std::string_view kOVGroupContainerSubpath = "Inkstead";
/// The presets file, inside the storage directory.
inline constexpr std::string_view kOVPresetArchiveFilename = "presets.bin";
/// The folder of watermark pictures, inside the storage directory.
inline constexpr std::string_view kOVWatermarkImagesDirectory = "images";
/// Name of the host's setting that remembers the last used preset (the library never reads it).
inline constexpr std::string_view kOVLastUsedPreset = "lastUsedPreset";

/// One storage folder: the presets file, the pictures of image watermarks and the lock that
/// serialises writers. A folder made from a path is that folder; a default-made one is the
/// process's storage directory (OVStorageDirectory()), looked up at every use, so that a host
/// can keep several storages side by side.
/// A small value; copies name the same folder.
///
/// A read-only folder (readOnly()) is only read from: nothing creates, writes or deletes anything
/// in it, and the pictures image watermarks are given while attached to it stay in memory. It
/// serves to look at the presets of another storage, and for watermarks that live for one
/// render only.
class OVStorageFolder {
public:
    /// The process's storage directory.
    OVStorageFolder() = default;
    /// `directory` itself; an empty path is the process's storage directory.
    explicit OVStorageFolder(std::filesystem::path directory);
    /// The storage directory inside the shared container `container` (such as $INKSTEAD_HOME
    /// names): "Inkstead" in it.
    [[nodiscard]] static OVStorageFolder inContainer(const std::filesystem::path& container);

    /// Whether this is the process's storage directory rather than a folder of its own.
    [[nodiscard]] bool isProcessDefault() const { return directory_.empty(); }
    /// The same folder, read-only (the process's directory is looked up now, once).
    [[nodiscard]] OVStorageFolder readOnly() const;
    [[nodiscard]] bool isReadOnly() const { return readOnly_; }
    /// The folder, created with its parents when missing (errors ignored; never when read-only);
    /// empty when this is the process's directory and there is no shared container.
    [[nodiscard]] std::filesystem::path directory() const;
    /// The presets file inside it; creates the folder when missing, not the file.
    [[nodiscard]] std::filesystem::path presetArchivePath() const;
    /// The folder of watermark pictures inside it, created when missing (errors ignored; never
    /// when read-only).
    [[nodiscard]] std::filesystem::path imagesDirectory() const;
    /// A file in the folder of watermark pictures (neither created nor checked).
    [[nodiscard]] std::filesystem::path imageURLForFilename(std::string_view filename) const;
    /// Takes the storage's lock (see OVLockStorage()); a read-only folder has none to take (the
    /// result's error() says so).
    [[nodiscard]] ov::FileLock lock() const;

    bool operator==(const OVStorageFolder&) const = default;

private:
    std::filesystem::path directory_;
    bool readOnly_ = false;
};

/// The storage directory, created with its parents when missing (creation errors are ignored):
/// "Inkstead" in the shared container. Empty when there is no shared container.
[[nodiscard]] std::filesystem::path OVStorageDirectory();

/// Path of the presets file; creates the storage directory when missing, not the file.
[[nodiscard]] std::filesystem::path OVPresetArchivePath();

/// The folder of watermark pictures, created with its parents when missing (errors ignored).
[[nodiscard]] std::filesystem::path imageCacheDestinationURL();

/// A file inside the folder of watermark pictures; the file itself is neither created nor
/// checked. An image watermark's picture is named "<UUID string>.png".
[[nodiscard]] std::filesystem::path imageCacheDestinationURLForFilename(std::string_view filename);

/// Takes the storage's lock (a hidden lock file in the storage directory), waiting while another
/// process holds it. A program that reads the presets file, changes the list and writes it back
/// holds the lock from before the read until the write is on disk, so that two such programs
/// take turns and neither loses the other's change. Check `error()` of the result.
[[nodiscard]] ov::FileLock OVLockStorage();
