#pragma once

// Filling the {variables} of a preset's texts from the photograph they are drawn on.

#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <cstdint>

class OVPreset;

/// Gives `preset` the values of `source` for the variables of its texts (file name, capture
/// metadata, `size` as the picture's width and height, `counter` as the running number), unless
/// it was given values already. Reads the source's metadata only when a text of the preset may
/// hold a variable.
void OVPresetFillTextVariables(OVPreset& preset, const ov::ImageSourcePtr& source, ov::Size size,
                               std::int64_t counter = 1);
