#include "inkstead/geometry/OVGraphicsUtilities.h"

#include "inkstead/platform/gfx/CurrentContext.h"

void pushGraphicsContext(ov::GraphicsContext* context,
                         const std::function<void(ov::GraphicsContext*)>& body) {
    // Restores the previous context even when the body throws.
    struct Restore {
        ov::GraphicsContext* previous;
        ~Restore() { ov::setCurrentGraphicsContext(previous); }
    } restore{ov::currentGraphicsContext()};
    ov::setCurrentGraphicsContext(context);
    if (body)
        body(context);
}
