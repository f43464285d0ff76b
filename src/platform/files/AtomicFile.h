#pragma once

#include "inkstead/platform/log/Result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>
#include <system_error>

namespace ov {

/// What committing a written file does when the destination already exists.
enum class FileWriteMode {
    /// Replace it (atomically: readers see the old or the new file, never a mix).
    ReplaceExisting,
    /// Fail with `std::errc::file_exists`; an existing file is never touched, even when several
    /// threads or processes commit to the same name at once.
    CreateExclusive,
};

/// A file written beside its destination and moved into place only when complete. The
/// temporary file is hidden, in the destination's folder (so the final rename never crosses
/// devices), and removed again when the object goes away uncommitted or a write fails: no
/// partial destination is ever left, also on a full disk. Not thread-safe; use one per writer.
class AtomicFile {
public:
    /// Creates the temporary file; check `error()`.
    explicit AtomicFile(std::filesystem::path destination);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// The first error met so far (creation, writing, committing); empty when all went well.
    [[nodiscard]] std::error_code error() const;
    [[nodiscard]] const std::filesystem::path& destination() const;
    /// The temporary file, for writers that take a path (encoders); write it before `commit`.
    [[nodiscard]] const std::filesystem::path& temporaryPath() const;

    /// Appends bytes to the temporary file. Returns false on error (then `commit` fails).
    bool write(std::span<const std::uint8_t> bytes);
    bool write(std::string_view bytes);

    /// Flushes the data to disk and moves the file into place. On failure the temporary file is
    /// removed and the destination is as it was; the error carries the code of `error()` and a
    /// message naming the destination.
    [[nodiscard]] Result<void> commit(FileWriteMode mode);
    /// Removes the temporary file (also done by the destructor when not committed).
    void discard();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

/// Writes `bytes` to `destination` through an `AtomicFile`.
[[nodiscard]] Result<void> writeFileAtomically(const std::filesystem::path& destination,
                                               std::span<const std::uint8_t> bytes,
                                               FileWriteMode mode);
[[nodiscard]] Result<void> writeFileAtomically(const std::filesystem::path& destination,
                                               std::string_view bytes, FileWriteMode mode);

/// Where a replacing write of `path` goes so that a symbolic link at `path` stays a link: the
/// file the link points at (followed through further links, relative ones from their folder),
/// whether or not that file exists yet; `path` itself when it is no link.
[[nodiscard]] std::filesystem::path linkTarget(const std::filesystem::path& path);

/// Moves the finished file `source` to `destination` without ever replacing an existing file:
/// fails with `std::errc::file_exists` when the name is taken. Both must be on one device.
[[nodiscard]] Result<void> moveFileExclusively(const std::filesystem::path& source,
                                               const std::filesystem::path& destination);

/// Creates `path` as a new empty file, failing with `std::errc::file_exists` when it exists
/// (reserves a name; safe between threads and processes).
[[nodiscard]] Result<void> createFileExclusively(const std::filesystem::path& path);

} // namespace ov
