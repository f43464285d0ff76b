#include "inkstead/platform/imageio/VipsRuntime_p.h"

#include <vips/vips.h>

#include <mutex>

namespace ov::imageio {
namespace {

// libvips reports oddities of the files it decodes (colour profiles it ignores, damaged
// trailing data) as GLib warnings, which would land on the host's standard error for every such
// file. The library's callers learn of files that cannot be read from null results instead.
void dropWarning(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

} // namespace

bool ensureVips() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        if (VIPS_INIT("inkstead") != 0) {
            return;
        }
        g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, dropWarning, nullptr);
        // Callers run one image per core, so each pipeline gets one thread; more would only
        // fight over the same cores.
        vips_concurrency_set(1);
        // Every image is decoded once; caching operations would only hold memory.
        vips_cache_set_max(16);
        vips_cache_set_max_mem(32 * 1024 * 1024);
        vips_cache_set_max_files(16);
        // Photographs only: the exotic loaders (matrix text, raw, FITS, ...) stay off.
        vips_block_untrusted_set(TRUE);
        // Encoders only ever read the pixels the library hands them: the JPEG XL one is safe
        // to run although its loader stays off.
        vips_operation_block_set("VipsForeignSaveJxl", FALSE);
        started = true;
    });
    return started;
}

} // namespace ov::imageio
