#pragma once

// One-line descriptions of watermarks and presets for the listings of the presets and
// watermark commands, and the table layout they share.

#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVWatermark.h"

#include <string>
#include <vector>

namespace cli {

/// "text", "image", ... ("unknown" for a kind number from a damaged record).
[[nodiscard]] std::string markKindName(const OVWatermark& mark);
/// Placement and style in the words of the command-line options, e.g.
/// `bottom-right, margin 3%, width 20%, "© 2026 Me", font Helvetica, color #FFFFFF`.
[[nodiscard]] std::string describeMark(const OVWatermark& mark);
/// The export settings in words: "original size" or "width 1600 px", plus metadata handling.
[[nodiscard]] std::string presetExportSummary(const OVPreset& preset);

/// Prints rows as columns separated by two spaces, the first row being the header. The last
/// column is not padded. Widths count characters, not bytes.
[[nodiscard]] std::string formatTable(const std::vector<std::vector<std::string>>& rows);

} // namespace cli
