#pragma once

#include "inkstead/platform/gfx/Color.h"

#include <optional>
#include <string>
#include <string_view>

/// The colour written "#RRGGBB" or "#RRGGBBAA" (the '#' optional, any case, surrounding blanks
/// ignored), or "none", "transparent" or "clear" for fully transparent black. No value for any
/// other text.
[[nodiscard]] std::optional<ov::Color> OVColorFromString(std::string_view text);

/// "#RRGGBB" for an opaque colour, else "#RRGGBBAA"; components are clamped to 0…1 and rounded
/// to the nearest of 256 steps.
[[nodiscard]] std::string OVColorString(const ov::Color& color);

/// Whether every component lies on the 8-bit grid, so OVColorString() loses nothing.
[[nodiscard]] bool OVColorIsOnByteGrid(const ov::Color& color);
