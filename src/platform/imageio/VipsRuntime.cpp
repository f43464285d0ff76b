#include "inkstead/platform/imageio/VipsRuntime_p.h"

#include <dlfcn.h>
#include <gmodule.h>
#include <vips/vips.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>

namespace ov::imageio {
namespace {

// libvips reports oddities of the files it decodes (colour profiles it ignores, damaged
// trailing data) as GLib warnings, which would land on the host's standard error for every such
// file. The library's callers learn of files that cannot be read from null results instead.
void dropWarning(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// The folder of libvips' plugin modules, beside the libvips the process runs with.
std::filesystem::path moduleFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&vips_init), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    return std::filesystem::path(info.dli_fname).parent_path() /
           ("vips-modules-" + std::to_string(vips_version(0)) + "." +
            std::to_string(vips_version(1)));
}

// Where the plugins are, decided before libvips starts (it may move its idea of its prefix).
const std::filesystem::path& modules() {
    static const std::filesystem::path folder = moduleFolder();
    return folder;
}

enum class Plugin { Heif, Jxl, Count };

// Photographs only: the exotic loaders (matrix text, raw, FITS, ...) stay off. Encoders only
// ever read the pixels the library hands them: the JPEG XL one runs although its loader is off.
void blockUntrusted() {
    vips_block_untrusted_set(TRUE);
    vips_operation_block_set("VipsForeignSaveJxl", FALSE);
}

void loadPlugin(Plugin plugin) {
    static std::once_flag once[static_cast<int>(Plugin::Count)];
    std::call_once(once[static_cast<int>(plugin)], [plugin] {
        if (!ensureVips() || modules().empty()) {
            return;
        }
        const auto path = modules() / (plugin == Plugin::Heif ? "vips-heif.so" : "vips-jxl.so");
        // The module registers its loaders and savers when it is opened; it stays for good.
        if (GModule* module = g_module_open(path.c_str(), G_MODULE_BIND_LAZY)) {
            g_module_make_resident(module);
            blockUntrusted();
        }
    });
}

} // namespace

bool ensureVips() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        // libvips opens every plugin it ships when it starts (PDF, ImageMagick, slide and HEIF
        // readers, each with its libraries): most of its start-up time and several megabytes
        // of memory, for formats this library never reads. It looks for them below VIPSHOME;
        // pointed at a folder without them it loads none, and the two that matter are opened
        // when a file needs them.
        modules();
        const bool ownHome = std::getenv("VIPSHOME") == nullptr;
        if (ownHome) {
            g_setenv("VIPSHOME", "/nonexistent/inkstead-without-vips-plugins", TRUE);
        }
        const int failed = VIPS_INIT("inkstead");
        if (ownHome) {
            g_unsetenv("VIPSHOME");
        }
        if (failed != 0) {
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
        blockUntrusted();
        started = true;
    });
    return started;
}

void ensureCodecsFor(const uint8_t* head, std::size_t length) {
    if (head == nullptr) {
        return;
    }
    // HEIF and AVIF: an ISO media file, its "ftyp" box first.
    if (length >= 12 && std::memcmp(head + 4, "ftyp", 4) == 0) {
        loadPlugin(Plugin::Heif);
    }
    // JPEG XL: a bare code stream, or its container's signature box.
    static constexpr uint8_t kJxlBox[] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' '};
    if ((length >= 2 && head[0] == 0xFF && head[1] == 0x0A) ||
        (length >= sizeof kJxlBox && std::memcmp(head, kJxlBox, sizeof kJxlBox) == 0)) {
        loadPlugin(Plugin::Jxl);
    }
}

void ensureCodecsForType(std::string_view type) {
    if (type == "public.heic" || type == "public.avif") {
        loadPlugin(Plugin::Heif);
    } else if (type == "public.jxl") {
        loadPlugin(Plugin::Jxl);
    }
}

} // namespace ov::imageio
