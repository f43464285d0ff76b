#pragma once

#include "inkstead/platform/gfx/Path.h"

/// A rectangle with its corners rounded to quarter circles of `radius` (clamped to half the
/// shorter side; 0 gives the plain rectangle), counter-clockwise from the bottom edge.
[[nodiscard]] ov::Path OVRoundedRectPath(const ov::Rect& rect, double radius);
