#pragma once

// The table layout of the listings of the presets and watermark commands.

#include "inkstead/presets/OVPreset.h"
#include "inkstead/presets/OVPresetSummary.h"
#include "inkstead/watermarks/OVWatermarkSummary.h"

#include <string>
#include <vector>

namespace cli {

/// Prints rows as columns separated by two spaces, the first row being the header. The last
/// column is not padded. Widths count characters, not bytes.
[[nodiscard]] std::string formatTable(const std::vector<std::vector<std::string>>& rows);

/// The table of a preset's watermarks: index, kind, title, placement and style.
[[nodiscard]] std::string markTable(const OVPreset& preset);

} // namespace cli
