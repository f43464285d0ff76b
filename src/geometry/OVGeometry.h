#pragma once

// Rectangle, size and transform arithmetic shared by every renderer, and the saved-state bracket
// that every drawer wraps its drawing in. All geometry is in the y-up graphics space (origin at
// the lower left).

#include "inkstead/platform/gfx/Geometry.h"

#include <functional>

namespace ov {
class GraphicsContext;
}

/// Duration in seconds of the host's view animations (the library itself animates nothing).
inline constexpr double kOVAnimationDuration = 0.2;

/// The four corners of a rectangle, in this fixed order.
struct OVRectCornerPoints {
    ov::Point bottomLeft;  ///< (minX, minY)
    ov::Point topLeft;     ///< (minX, maxY)
    ov::Point bottomRight; ///< (maxX, minY)
    ov::Point topRight;    ///< (maxX, maxY)

    friend bool operator==(const OVRectCornerPoints&, const OVRectCornerPoints&) = default;
};

/// The zero rectangle for a size exactly equal to (0, 0), else (0, 0, width, height).
[[nodiscard]] ov::Rect CGRectFromCGSize(ov::Size size);

/// (midX, midY) of the rectangle.
[[nodiscard]] ov::Point OVRectCenter(const ov::Rect& rect);

/// The corners of the standardised rectangle.
[[nodiscard]] OVRectCornerPoints OVRectCorners(const ov::Rect& rect);

/// The largest size with the aspect ratio of `aspectRatio` that fits inside `boundingSize`:
/// (aspectWidth·s, aspectHeight·s) with s = min(boundingWidth / aspectWidth,
/// boundingHeight / aspectHeight). Zero components yield whatever that ratio yields.
[[nodiscard]] ov::Size OVMakeSizeWithAspectRatioInsideSize(ov::Size aspectRatio,
                                                           ov::Size boundingSize);

/// True when `b` is larger than `a` in either dimension (strict; NaN compares false).
[[nodiscard]] bool CGSizeLargerThanSize(ov::Size a, ov::Size b);

/// Horizontal scale of the context's current transform: sqrt(a² + c²). Rotation leaves it alone.
[[nodiscard]] double OVContextGetScale(const ov::GraphicsContext& context);

/// A transform turning the plane by `angle` degrees about `point`; positive angles turn
/// clockwise in the y-up space.
[[nodiscard]] ov::AffineTransform OVAffineTransformRotateOnPoint(double angle, ov::Point point);

/// The drawing bracket as a scope object: saves the context's graphics state when made and
/// restores it when it ends, so that every attribute, clip and transform change made meanwhile
/// stays inside (early returns included).
class OVSavedGraphicsState {
public:
    explicit OVSavedGraphicsState(ov::GraphicsContext& context);
    ~OVSavedGraphicsState();
    OVSavedGraphicsState(const OVSavedGraphicsState&) = delete;
    OVSavedGraphicsState& operator=(const OVSavedGraphicsState&) = delete;

private:
    ov::GraphicsContext& context_;
};

/// Saves the context's graphics state, runs `body` once, restores the state, so that every
/// attribute, clip and transform change made inside stays inside.
void CGContextSaveStateWithCompletion(ov::GraphicsContext& context,
                                      const std::function<void()>& body);

// Every helper of the geometry layer is reachable through this header.
#include "inkstead/geometry/OVBezierPathQuartzUtility.h"
#include "inkstead/geometry/OVGraphicsUtilities.h"
