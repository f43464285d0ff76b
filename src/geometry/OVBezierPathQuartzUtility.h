#pragma once

#include "inkstead/platform/gfx/Path.h"

#include <optional>

/// Converts a Bezier path into a graphics path. Element kinds 0 move, 1 line, 2 curve and 3 close
/// are copied, other kinds are skipped, and the result always ends closed: a final close is added
/// when the last line or curve was not followed by one.
///
/// Returns nothing for a path without elements, and for a move-to point with a NaN or infinite
/// coordinate (then one line "copyQuartzPath ERROR: NaN in path coordinates." is logged). Line
/// and curve points are copied as they are.
[[nodiscard]] std::optional<ov::Path> copyQuartzPath(const ov::BezierPath& bezierPath);
