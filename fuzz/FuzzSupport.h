#pragma once

// Helpers shared by the fuzz targets (private to fuzz/).

#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/presets/OVPreset.h"

#include <memory>

namespace ov::fuzz {

/// A preset with one watermark of every kind (the image one without a picture unless
/// `withPicture`), each moved off its defaults.
std::shared_ptr<OVPreset> everyKindPreset(bool withPicture);

/// Draws `preset` for export onto a transparent bitmap of width × height, as an export does.
void renderSmall(OVPreset& preset, int width, int height);

} // namespace ov::fuzz
