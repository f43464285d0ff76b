#pragma once

#include <filesystem>
#include <vector>

struct OVUnreadableFolder; // model/OVModel.h

/// The image files at `url`: the file itself when it is an image the pipeline reads, or every
/// such file below a folder (hidden items skipped, subfolders entered but not through symbolic
/// links, each folder's entries in name order, depth first). Nothing for a missing path. Folders
/// that cannot be listed are skipped and, when `unreadable` is given, added to it.
std::vector<std::filesystem::path>
OVFindImages(const std::filesystem::path& url,
             std::vector<OVUnreadableFolder>* unreadable = nullptr);
