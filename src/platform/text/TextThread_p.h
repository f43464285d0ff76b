#pragma once

// Per-thread Pango state and the per-thread cache of shaped texts. Not installed.
//
// Pango font maps and contexts must not be shared between threads, and the export renders on
// several threads at once, so every thread gets its own font map and context on first use.

#include "inkstead/platform/text/FontResolver_p.h"

#include <pango/pango.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace ov::detail {

/// Text is shaped at this size and scaled to the size asked for. Large, so that the rounding of
/// glyph positions to layout units is negligible after scaling.
inline constexpr double kReferenceFontSize = 1000.0;

/// A text shaped in one face at kReferenceFontSize, as plain data.
struct ShapedText {
    enum Flags : std::uint8_t {
        kBreakBefore = 1,     ///< a line may start at this character
        kMandatoryBefore = 2, ///< a line must start at this character
        kClusterStart = 4,    ///< a cursor may stand before this character
        kWhite = 8,
    };
    struct RunMetrics {
        double ascent = 0, descent = 0, leading = 0;
    };

    std::size_t length = 0;
    std::vector<double> advance;     ///< per character (a cluster's advance on its first one)
    std::vector<std::uint8_t> flags; ///< per character
    std::vector<std::int32_t> run;   ///< per character: index into runs, or -1
    std::vector<RunMetrics> runs;
};

/// This thread's Pango context (unhinted, unrounded glyph positions).
[[nodiscard]] PangoContext* threadPangoContext();

/// A layout of `text` in `face` at kReferenceFontSize, without wrapping. Caller unrefs it.
[[nodiscard]] PangoLayout* createReferenceLayout(std::string_view text, const ResolvedFace& face);

/// The shaping of `text` in `face`, from this thread's cache.
[[nodiscard]] std::shared_ptr<const ShapedText> shapedText(std::string_view text,
                                                           const ResolvedFace& face);

} // namespace ov::detail
