#pragma once

// Face-name resolution through fontconfig. Not installed.

#include <pango/pango.h>

#include <memory>
#include <string>
#include <string_view>

namespace ov::detail {

/// An installed face chosen for a face name.
struct ResolvedFace {
    std::string family;
    /// Family, weight, style and stretch, without a size. Shared read-only between threads.
    PangoFontDescription* description = nullptr;
    /// Text form of the description ("DejaVu Sans Bold Oblique"), a cache key.
    std::string key;
    /// True when an installed face answers to the name itself (PostScript, full or family
    /// name, or a family with style words); false when the configuration substituted another.
    bool exact = false;

    ResolvedFace() = default;
    ResolvedFace(const ResolvedFace&) = delete;
    ResolvedFace& operator=(const ResolvedFace&) = delete;
    ~ResolvedFace();
};

/// The face for `name` (empty: the default name). Cached for the process; thread-safe.
[[nodiscard]] std::shared_ptr<const ResolvedFace> resolveFace(std::string_view name);

} // namespace ov::detail
