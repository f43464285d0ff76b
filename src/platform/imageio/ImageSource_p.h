#pragma once

#include "inkstead/platform/imageio/ImageSource.h"

#include <vips/vips8>

#include <string>
#include <vector>

namespace ov {

struct ImageSource::Impl {
    std::string type;
    std::filesystem::path path; ///< set for a source on a file
    std::vector<uint8_t> bytes; ///< set for a source on bytes
    [[nodiscard]] bool isFile() const { return !path.empty(); }
};

} // namespace ov
