#include "inkstead/presets/OVPresetSummary.h"

#include "inkstead/presets/OVPreset.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

} // namespace

std::string OVPresetExportSummary(const OVPreset& preset) {
    std::string text = "original size";
    if (preset.shouldResize()) {
        static const char* sides[] = {"width", "height", "long side"};
        const auto constraint = static_cast<std::size_t>(preset.resizeConstraint());
        text = constraint < 3 ? sides[constraint] : "side";
        double value = preset.resizeValue();
        if (preset.resizeMethod() == OVResizeMethodPercentage)
            text += " " + number(value > 1 ? value : value * 100) + "%";
        else
            text += " " + number(value) + " px";
    }
    static const char* metadata[] = {"", ", no location", ", no location or private data",
                                     ", only the copyright metadata"};
    text += metadata[std::min<std::uint64_t>(preset.metadataPolicy(), 3)];
    if (const auto type = OVOutputFormatType(preset.outputFormat()); !type.empty())
        text += ", as " + std::string(kOVOutputFormatNames[preset.outputFormat()]);
    return text;
}
