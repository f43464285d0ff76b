#pragma once

#include "inkstead/platform/imageio/Properties.h"

#include <string>
#include <vector>

/// What a watermarked export of a source leaves out, in words for the user: the pages or frames
/// after the first (an export holds one picture), a colour depth the output does not keep (16
/// bits stay in PNG and TIFF, everything else gets 8), an XMP packet that was not valid XML and
/// was dropped. `sourceProperties` are the source's own, as read; `sourceType` its type
/// identifier, `outputType` the written one (empty: the source's). Empty when nothing is lost.
[[nodiscard]] std::vector<std::string> OVExportWarnings(const ov::Properties& sourceProperties,
                                                        const std::string& sourceType,
                                                        const std::string& outputType = {});
