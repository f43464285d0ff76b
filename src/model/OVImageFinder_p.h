#pragma once

#include <filesystem>
#include <vector>

/// The image files at `url`: the file itself when it is an image the pipeline reads, or every
/// such file below a folder (hidden items skipped, subfolders entered but not through symbolic
/// links, each folder's entries in name order, depth first). Nothing for a missing path.
std::vector<std::filesystem::path> OVFindImages(const std::filesystem::path& url);
