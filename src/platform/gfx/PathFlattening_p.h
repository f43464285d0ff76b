#pragma once

// Polyline form of paths, for point-in-path tests and stroke outlines. Not installed.

#include "inkstead/platform/gfx/Path.h"

#include <vector>

namespace ov::detail {

struct Polyline {
    std::vector<Point> points;
    bool closed = false;
};

/// Subpaths of `path` with curves replaced by short line segments.
std::vector<Polyline> flatten(const Path& path);

/// Outline of `path` stroked at `width`: a union of positively oriented polygons, to be filled
/// with the non-zero rule.
Path strokeOutline(const Path& path, double width, LineCap cap, LineJoin join, double miterLimit);

} // namespace ov::detail
