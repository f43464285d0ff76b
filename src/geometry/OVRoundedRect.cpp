#include "inkstead/geometry/OVRoundedRect.h"

#include <algorithm>

ov::Path OVRoundedRectPath(const ov::Rect& rect, double radius) {
    const ov::Rect r = rect.standardized();
    const double k = std::clamp(radius, 0.0, std::min(r.size.width, r.size.height) / 2);
    if (!(k > 0))
        return ov::Path::withRect(r);
    // The control points of a cubic quarter circle lie this far from its ends, towards the
    // corner.
    const double c = k * (1 - 0.5522847498);
    const double x0 = r.minX(), x1 = r.maxX(), y0 = r.minY(), y1 = r.maxY();
    ov::Path path;
    path.moveTo({x0 + k, y0});
    path.addLineTo({x1 - k, y0});
    path.addCurveTo({x1 - c, y0}, {x1, y0 + c}, {x1, y0 + k});
    path.addLineTo({x1, y1 - k});
    path.addCurveTo({x1, y1 - c}, {x1 - c, y1}, {x1 - k, y1});
    path.addLineTo({x0 + k, y1});
    path.addCurveTo({x0 + c, y1}, {x0, y1 - c}, {x0, y1 - k});
    path.addLineTo({x0, y0 + k});
    path.addCurveTo({x0, y0 + c}, {x0 + c, y0}, {x0 + k, y0});
    path.closeSubpath();
    return path;
}
