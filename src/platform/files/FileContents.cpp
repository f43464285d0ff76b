#include "platform/files/FileContents.h"

#include <fstream>
#include <iterator>

namespace ov {

std::optional<std::vector<std::uint8_t>> readFileContents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

} // namespace ov
