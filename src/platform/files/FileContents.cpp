#include "inkstead/platform/files/FileContents.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

Error failed(const std::filesystem::path& path, int code, const char* reason = nullptr) {
    const std::error_code error(code, std::generic_category());
    return {error, "cannot read " + path.string() + ": " + (reason ? reason : error.message())};
}

} // namespace

Result<std::vector<std::uint8_t>> readFileContents(const std::filesystem::path& path) {
    // Opened without blocking, so that a FIFO put in a file's place cannot hang the reader
    // until something writes to it; its type is then checked on the open descriptor.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(path, errno);
    struct stat info {};
    const bool statted = ::fstat(fd, &info) == 0;
    if (!statted || !S_ISREG(info.st_mode)) {
        const int code = statted ? EINVAL : errno;
        ::close(fd);
        return failed(path, code, statted ? "not a regular file" : nullptr);
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    std::uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            return failed(path, code);
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    return bytes;
}

} // namespace ov
