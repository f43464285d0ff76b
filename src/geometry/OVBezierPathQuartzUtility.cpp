#include "inkstead/geometry/OVBezierPathQuartzUtility.h"

#include "inkstead/platform/log/Log.h"

#include <cmath>

namespace {

bool isUsableCoordinate(double v) {
    return !std::isnan(v) && std::fabs(v) < INFINITY;
}

} // namespace

std::optional<ov::Path> copyQuartzPath(const ov::BezierPath& bezierPath) {
    const int count = bezierPath.elementCount();
    if (count < 1)
        return std::nullopt;

    ov::Path path;
    bool didClosePath = true;
    for (int i = 0; i < count; ++i) {
        const ov::BezierPath::Element& element = bezierPath.elementAt(i);
        switch (element.kind) {
        case 0: {
            const ov::Point p = element.points[0];
            if (!isUsableCoordinate(p.x) || !isUsableCoordinate(p.y)) {
                ov::log("copyQuartzPath ERROR: NaN in path coordinates.");
                return std::nullopt;
            }
            path.moveTo(p);
            break;
        }
        case 1:
            path.addLineTo(element.points[0]);
            didClosePath = false;
            break;
        case 2:
            path.addCurveTo(element.points[0], element.points[1], element.points[2]);
            didClosePath = false;
            break;
        case 3:
            path.closeSubpath();
            didClosePath = true;
            break;
        default:
            break;
        }
    }
    if (!didClosePath)
        path.closeSubpath();
    return path;
}
