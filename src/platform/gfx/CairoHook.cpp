#include "inkstead/platform/gfx/GraphicsContextImpl_p.h"
#include "inkstead/platform/gfx/GraphicsContext_p.h"

namespace ov::detail {

cairo_t* cairoContext(GraphicsContext& ctx) {
    return ctx.impl().cr;
}

void drawOperation(GraphicsContext& ctx, const std::function<void(cairo_t*)>& draw) {
    GraphicsContext::Impl& impl = ctx.impl();
    if (!draw)
        return;
    impl.withTemporaryPath(nullptr, [&] {
        impl.perform(
            [&](cairo_t* cr, double) {
                cairo_save(cr);
                draw(cr);
                cairo_restore(cr);
            },
            false);
    });
}

} // namespace ov::detail
