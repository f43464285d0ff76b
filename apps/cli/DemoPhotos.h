#pragma once

// The demo's own photographs: generated mountain-lake scenes written as camera-like JPEGs with
// EXIF (make, model, dates, and on some a GPS position or a rotated storage with orientation 6),
// and the logo the demo preset stamps.

#include <filesystem>
#include <string>
#include <vector>

namespace cli {

struct DemoPhoto {
    std::filesystem::path path;
    int width = 0;  ///< upright width in pixels
    int height = 0; ///< upright height in pixels
    int orientation = 1;
    bool hasLocation = false;
};

/// Writes the demo photos into `folder` (created when missing) and returns them. A photo whose
/// file is already there is left as it is, so reruns keep what the user may have looked at.
/// Throws CliError when a photo cannot be written.
std::vector<DemoPhoto> writeDemoPhotos(const std::filesystem::path& folder);

/// Writes the demo logo (a PNG with transparency) to `path` unless it exists. Throws CliError
/// when it cannot be written.
void writeDemoLogo(const std::filesystem::path& path);

} // namespace cli
