#include "inkstead/platform/files/FileContents.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

std::nullopt_t failed(std::error_code* error, int code) {
    if (error)
        *error = {code, std::generic_category()};
    return std::nullopt;
}

} // namespace

std::optional<std::vector<std::uint8_t>> readFileContents(const std::filesystem::path& path,
                                                          std::error_code* error) {
    // Opened without blocking, so that a FIFO put in a file's place cannot hang the reader
    // until something writes to it; its type is then checked on the open descriptor.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(error, errno);
    struct stat info {};
    const bool statted = ::fstat(fd, &info) == 0;
    if (!statted || !S_ISREG(info.st_mode)) {
        const int code = statted ? EINVAL : errno;
        ::close(fd);
        return failed(error, code);
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
            return failed(error, code);
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    if (error)
        error->clear();
    return bytes;
}

} // namespace ov
