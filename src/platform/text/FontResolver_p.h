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
    /// Text form of the description, a cache key.
    std::string key;

    ResolvedFace() = default;
    ResolvedFace(const ResolvedFace&) = delete;
    ResolvedFace& operator=(const ResolvedFace&) = delete;
    ~ResolvedFace();
};

/// The face for `name` (empty: the default name). Cached for the process; thread-safe.
[[nodiscard]] std::shared_ptr<const ResolvedFace> resolveFace(std::string_view name);

} // namespace ov::detail
