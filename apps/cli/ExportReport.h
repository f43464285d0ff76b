#pragma once

// What a batch export did, image by image (the library's outcomes), and the summary line that
// tells people.

#include "inkstead/export/OVExportOutcome.h"

#include <string>

namespace cli {

/// "Exported 12 images to out in 3.4 s (3.5 images/s); 1 failed."
[[nodiscard]] std::string exportSummaryLine(const OVExportSummary& summary);

} // namespace cli
