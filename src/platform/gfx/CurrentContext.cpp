#include "inkstead/platform/gfx/CurrentContext.h"

namespace ov {
namespace {
thread_local GraphicsContext* tCurrentContext = nullptr;
}

GraphicsContext* currentGraphicsContext() {
    return tCurrentContext;
}

void setCurrentGraphicsContext(GraphicsContext* context) {
    tCurrentContext = context;
}

} // namespace ov
