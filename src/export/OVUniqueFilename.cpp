#include "inkstead/export/OVUniqueFilename.h"

#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/platform/files/AtomicFile.h"
#include "inkstead/platform/files/TemporaryFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

enum class NameState { Free, Taken, Unusable };

NameState nameState(const fs::path& path) {
    struct stat info;
    // A dangling symbolic link also occupies the name.
    if (::lstat(path.c_str(), &info) == 0)
        return NameState::Taken;
    // A name too long for the file system, or a folder that cannot be searched, stays so for
    // every alternative: the write that follows fails with the reason.
    return errno == ENOENT ? NameState::Free : NameState::Unusable;
}

std::string randomToken() {
    static std::atomic<unsigned long> counter{0};
    thread_local std::mt19937_64 engine{std::random_device{}()};
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%08lx%04lx",
                  static_cast<unsigned long>(engine() & 0xffffffffUL),
                  counter.fetch_add(1) & 0xffffUL);
    return buffer;
}

} // namespace

std::string OVWatermarkedFilename(std::string_view filename, unsigned long n) {
    const OVFilenameParts parts = OVSplitFilename(filename);
    return parts.base + "_Watermarked_" + std::to_string(n) + "." + parts.extension;
}

fs::path URLWithValidFilename(const fs::path& directory, std::string_view filename) {
    fs::path candidate = directory / std::string(filename);
    for (unsigned long n = 1; nameState(candidate) == NameState::Taken; ++n)
        candidate = directory / OVWatermarkedFilename(filename, n);
    return candidate;
}

ov::Result<fs::path> OVPlaceFileExclusively(const fs::path& temporary, const fs::path& directory,
                                            std::string_view filename) {
    fs::path candidate = directory / std::string(filename);
    for (unsigned long n = 1;; ++n) {
        const auto moved = ov::moveFileExclusively(temporary, candidate);
        if (moved)
            return candidate;
        if (moved.error().code != std::errc::file_exists)
            return ov::Error{moved.error().code, "cannot place the file at " + candidate.string() +
                                                     ": " + moved.error().code.message()};
        candidate = directory / OVWatermarkedFilename(filename, n);
    }
}

fs::path OVTemporaryFilePath(const fs::path& directory, std::string_view filename) {
    // Only the extension of the final name is kept, so that long names still fit.
    const std::string extension = OVSplitFilename(filename).extension;
    ov::removeAbandonedTemporaryFiles(directory);
    fs::path path;
    struct stat info;
    do
        path =
            directory / (std::string(ov::kTemporaryFilePrefix) + randomToken() + "." + extension);
    while (::lstat(path.c_str(), &info) == 0);
    return path;
}
