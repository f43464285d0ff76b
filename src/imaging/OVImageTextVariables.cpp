#include "inkstead/imaging/OVImageTextVariables.h"

#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVTextVariables.h"
#include "inkstead/watermarks/OVTextWatermark.h"

void OVPresetFillTextVariables(OVPreset& preset, const ov::ImageSourcePtr& source, ov::Size size,
                               std::int64_t counter) {
    if (!source || preset.textVariables())
        return;
    bool needed = false;
    for (const auto& watermark : preset.watermarks())
        if (const auto* text = dynamic_cast<const OVTextWatermark*>(watermark.get()))
            needed = needed || OVTextVariables::mayHoldVariables(text->stringValue().value_or(""));
    if (!needed)
        return;
    preset.setTextVariables(std::make_shared<const OVTextVariables>(
        OVTextVariables::forImage(source->properties(), source->path(), size, counter)));
}
