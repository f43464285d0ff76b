#pragma once

// Platform-internal access to a GraphicsContext's Cairo surface, for other platform services
// (text drawing). Not installed; never include it outside src/platform/.

#include "inkstead/platform/gfx/GraphicsContext.h"

#include <cairo.h>

#include <functional>

namespace ov::detail {

/// The Cairo context behind `ctx`. Its matrix is the full device transform (y-down base flip
/// included); callers that change it must restore it.
cairo_t* cairoContext(GraphicsContext& ctx);

/// Runs `draw` as ONE drawing operation of `ctx`, with everything the state applies to
/// operations: global alpha, shadow (drawn beneath, from the blurred coverage of what `draw`
/// paints), clip and blend mode. When `draw` runs, the Cairo matrix is the current user
/// transform in the y-up space (origin lower left, y upward), so text drawers must flip locally
/// (scale(1, -1) about their baseline) to keep glyphs upright. `draw` paints with the Cairo
/// source it sets itself.
void drawOperation(GraphicsContext& ctx, const std::function<void(cairo_t*)>& draw);

} // namespace ov::detail
