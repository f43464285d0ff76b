#include "inkstead/platform/files/AtomicFile.h"

#include "inkstead/platform/files/TemporaryFiles.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

/// The process's file-creation mask, read without changing it (umask() would, racily).
mode_t currentUmask() {
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("Umask:", 0) == 0)
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
        }
        return static_cast<mode_t>(022);
    }();
    return mask;
}

/// Makes the directory entry of a rename durable. Best effort: some file systems refuse to
/// sync directories, which does not make the write itself fail.
void syncDirectory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::filesystem::path directoryOf(const std::filesystem::path& path) {
    auto parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

} // namespace

std::filesystem::path linkTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    std::error_code error;
    // A bounded walk, as the kernel's: a loop of links ends it.
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, error); ++hops) {
        const auto next = std::filesystem::read_symlink(target, error);
        if (error)
            break;
        target = next.is_absolute() ? next : directoryOf(target) / next;
    }
    return target;
}

namespace {

std::error_code renameExclusively(const std::filesystem::path& source,
                                  const std::filesystem::path& destination) {
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return lastError();
    // The file system cannot rename without replacing: a hard link fails on an existing name
    // just as atomically, and then the temporary name is dropped.
    if (::link(source.c_str(), destination.c_str()) != 0)
        return lastError();
    ::unlink(source.c_str());
    return {};
}

Result<void> failure(std::error_code code, const std::string& what) {
    return Error{code, what + ": " + code.message()};
}

} // namespace

Result<void> moveFileExclusively(const std::filesystem::path& source,
                                 const std::filesystem::path& destination) {
    if (auto code = renameExclusively(source, destination))
        return failure(code, "Could not move " + source.string() + " to " + destination.string());
    return {};
}

Result<void> createFileExclusively(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return failure(lastError(), "Could not create " + path.string());
    ::close(fd);
    return {};
}

struct AtomicFile::Impl {
    std::filesystem::path destination;
    std::filesystem::path temporary;
    int fd = -1;
    std::error_code error;
    bool finished = false; // committed or discarded

    void fail(std::error_code code) {
        if (!error)
            error = code;
    }

    void closeAndRemove() {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
        if (!finished && !temporary.empty())
            ::unlink(temporary.c_str());
        finished = true;
    }
};

AtomicFile::AtomicFile(std::filesystem::path destination) : d(std::make_unique<Impl>()) {
    d->destination = std::move(destination);
    if (d->destination.filename().empty()) {
        d->fail(std::make_error_code(std::errc::is_a_directory));
        d->finished = true;
        return;
    }
    // Hidden, beside the destination, keeping its extension: encoders that pick the format
    // from the name write the right one, and folder scans skip the half-written file.
    removeAbandonedTemporaryFiles(directoryOf(d->destination));
    const auto extension = d->destination.extension().string();
    // The stem is shortened so that the temporary name fits wherever the destination does.
    std::string name(kTemporaryFilePrefix);
    name += d->destination.stem().string().substr(0, 64);
    name += "-XXXXXX";
    name += extension;
    std::string templ = (directoryOf(d->destination) / name).string();
    d->fd = ::mkostemps(templ.data(), static_cast<int>(extension.size()), O_CLOEXEC);
    if (d->fd < 0) {
        d->fail(lastError());
        d->finished = true;
        return;
    }
    d->temporary = templ;
    ::fchmod(d->fd, 0666 & ~currentUmask());
}

AtomicFile::~AtomicFile() {
    discard();
}

std::error_code AtomicFile::error() const {
    return d->error;
}

const std::filesystem::path& AtomicFile::destination() const {
    return d->destination;
}

const std::filesystem::path& AtomicFile::temporaryPath() const {
    return d->temporary;
}

bool AtomicFile::write(std::span<const std::uint8_t> bytes) {
    if (d->error || d->finished)
        return false;
    const auto* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(d->fd, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            d->fail(lastError());
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool AtomicFile::write(std::string_view bytes) {
    return write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

Result<void> AtomicFile::commit(FileWriteMode mode) {
    if (d->finished && !d->error)
        d->fail(std::make_error_code(std::errc::bad_file_descriptor));
    if (!d->error && ::fsync(d->fd) != 0)
        d->fail(lastError());
    if (!d->error) {
        const int fd = d->fd;
        d->fd = -1;
        if (::close(fd) != 0)
            d->fail(lastError());
    }
    if (!d->error) {
        if (mode == FileWriteMode::ReplaceExisting) {
            if (::rename(d->temporary.c_str(), d->destination.c_str()) != 0)
                d->fail(lastError());
        } else if (auto code = renameExclusively(d->temporary, d->destination)) {
            d->fail(code);
        }
    }
    if (d->error) {
        d->closeAndRemove();
        return failure(d->error, "Could not write " + d->destination.string());
    }
    d->finished = true;
    syncDirectory(directoryOf(d->destination));
    return {};
}

void AtomicFile::discard() {
    d->closeAndRemove();
}

Result<void> writeFileAtomically(const std::filesystem::path& destination,
                                 std::span<const std::uint8_t> bytes, FileWriteMode mode) {
    AtomicFile file(destination);
    file.write(bytes);
    return file.commit(mode);
}

Result<void> writeFileAtomically(const std::filesystem::path& destination,
                                 std::string_view bytes, FileWriteMode mode) {
    AtomicFile file(destination);
    file.write(bytes);
    return file.commit(mode);
}

} // namespace ov
