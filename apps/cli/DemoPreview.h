#pragma once

// The demo's picture of the editor: a preset drawn over a photo the way the editor shows it,
// with one watermark selected (its dashed frame and handles drawn).

#include "inkstead/presets/OVPreset.h"

#include <filesystem>

namespace cli {

/// Draws `preset` over `photo` (fitted into 1200 px) with the first shape watermark selected,
/// and writes the picture as the PNG `file` (replacing an earlier one). Returns false when the
/// photo cannot be read or the file cannot be written.
bool writeEditorPreview(const OVPreset& preset, const std::filesystem::path& photo,
                        const std::filesystem::path& file);

} // namespace cli
