#pragma once

#include <functional>

namespace ov {
class GraphicsContext;
}

/// Makes `context` the calling thread's current graphics context (see
/// ov::currentGraphicsContext), runs `body` with it, then makes the previously current context
/// current again — also when there was none. `context` may be null; it is not owned.
void pushGraphicsContext(ov::GraphicsContext* context,
                         const std::function<void(ov::GraphicsContext*)>& body);
