#pragma once

#include <string>

class OVPreset;

/// A preset's export settings in words, for listings: "original size" or the resize ("width
/// 1600 px", "long side 50%"), then what the metadata loses (", no location") and the file
/// format when it is not the source's (", as png").
[[nodiscard]] std::string OVPresetExportSummary(const OVPreset& preset);
