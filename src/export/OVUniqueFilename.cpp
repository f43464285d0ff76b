#include "export/OVUniqueFilename.h"

#include "export/OVFilenamePattern.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool pathExists(const fs::path& path) {
    struct stat info;
    // A dangling symbolic link also occupies the name.
    return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

// Moves `from` to `to` unless `to` exists. Returns 0 or the errno of the failure (EEXIST when the
// name is taken).
int moveNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without the no-replace rename: a hard link fails atomically on an existing
    // name, then the temporary name is dropped.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
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
    for (unsigned long n = 1; pathExists(candidate); ++n)
        candidate = directory / OVWatermarkedFilename(filename, n);
    return candidate;
}

std::optional<fs::path> OVPlaceFileExclusively(const fs::path& temporary, const fs::path& directory,
                                               std::string_view filename, std::string* error) {
    fs::path candidate = directory / std::string(filename);
    for (unsigned long n = 1;; ++n) {
        const int result = moveNoReplace(temporary, candidate);
        if (result == 0)
            return candidate;
        if (result != EEXIST) {
            if (error)
                *error = std::strerror(result);
            return std::nullopt;
        }
        candidate = directory / OVWatermarkedFilename(filename, n);
    }
}

fs::path OVTemporaryFilePath(const fs::path& directory, std::string_view filename) {
    // Only the extension of the final name is kept, so that long names still fit.
    const std::string extension = OVSplitFilename(filename).extension;
    fs::path path;
    struct stat info;
    do
        path = directory / (".~" + randomToken() + "." + extension);
    while (::lstat(path.c_str(), &info) == 0);
    return path;
}
