#pragma once

#include "inkstead/platform/log/Result.h"

#include <filesystem>
#include <string>
#include <vector>

//! \name Sample photographs
//! Generated mountain-lake scenes written as camera-like JPEGs with EXIF (make, model, dates,
//! and on some a GPS position or a rotated storage with orientation 6), and a logo with
//! transparency: material for demonstrations and first runs that needs no files of the user's.

struct OVSamplePhoto {
    std::filesystem::path path;
    int width = 0;  ///< upright width in pixels
    int height = 0; ///< upright height in pixels
    int orientation = 1;
    bool hasLocation = false;
};

/// Writes the sample photos into `folder` (created when missing) and returns them. A photo whose
/// file is already there is left as it is, so reruns keep what the user may have looked at.
[[nodiscard]] ov::Result<std::vector<OVSamplePhoto>>
OVWriteSamplePhotos(const std::filesystem::path& folder);

/// Writes the sample logo (a PNG with transparency) to `path` unless a file is there already.
[[nodiscard]] ov::Result<void> OVWriteSampleLogo(const std::filesystem::path& path);
