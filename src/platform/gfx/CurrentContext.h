#pragma once

namespace ov {

class GraphicsContext;

/// The calling thread's current graphics context: the one that drawing code handed no explicit
/// context draws into (the host sets it around its drawing). Null when none is set. Not owned;
/// each thread has its own.
[[nodiscard]] GraphicsContext* currentGraphicsContext();
void setCurrentGraphicsContext(GraphicsContext* context);

} // namespace ov
