#include "inkstead/platform/text/Typesetter.h"

#include "inkstead/platform/text/TextThread_p.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ov {

namespace {

// Measurements at `size` are the reference shaping times this factor.
double scaleFor(double size) {
    return size > 0 && std::isfinite(size) ? size / detail::kReferenceFontSize : 0.0;
}

} // namespace

Typesetter::Typesetter(const AttributedString& string) {
    const std::string& name = string.font() ? string.font()->fontName() : std::string();
    const auto face = detail::resolveFace(name);
    shaped_ = detail::shapedText(string.string(), *face);
    scale_ = scaleFor(string.font() ? string.font()->pointSize() : Font().pointSize());
}

Typesetter::~Typesetter() = default;
Typesetter::Typesetter(const Typesetter&) = default;
Typesetter& Typesetter::operator=(const Typesetter&) = default;

std::size_t Typesetter::length() const {
    return shaped_->length;
}

std::size_t Typesetter::suggestLineBreak(std::size_t start, double width) const {
    using detail::ShapedText;
    const ShapedText& text = *shaped_;
    const std::size_t n = text.length;
    if (start >= n)
        return 0;
    double used = 0;
    std::size_t lastBreak = start;
    for (std::size_t i = start; i < n; ++i) {
        const std::uint8_t flags = text.flags[i];
        if (i > start && (flags & ShapedText::kMandatoryBefore))
            return i - start;
        if (i > start && (flags & ShapedText::kBreakBefore))
            lastBreak = i;
        used += text.advance[i] * scale_;
        // Spaces may hang past the end of a line; the first visible character that does not fit
        // ends it.
        if (used > width && !(flags & ShapedText::kWhite)) {
            if (lastBreak > start)
                return lastBreak - start;
            std::size_t end = i;
            while (end > start && !(text.flags[end] & ShapedText::kClusterStart))
                --end;
            if (end == start) {
                end = start + 1;
                while (end < n && !(text.flags[end] & ShapedText::kClusterStart))
                    ++end;
            }
            return end - start;
        }
    }
    return n - start;
}

double Typesetter::singleLineWidth() const {
    using detail::ShapedText;
    const ShapedText& text = *shaped_;
    const std::size_t n = text.length;
    std::size_t clusters = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (text.flags[i] & ShapedText::kMandatoryBefore))
            return std::numeric_limits<double>::infinity();
        if (i == 0 || (text.flags[i] & ShapedText::kClusterStart))
            ++clusters;
    }
    if (clusters <= 1)
        return 0;
    double used = 0;
    double widest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        used += text.advance[i] * scale_;
        if (!(text.flags[i] & ShapedText::kWhite))
            widest = std::max(widest, used);
    }
    return widest;
}

TypographicBounds Typesetter::lineBounds(std::size_t start, std::size_t count) const {
    const detail::ShapedText& text = *shaped_;
    TypographicBounds bounds;
    if (start >= text.length)
        return bounds;
    const std::size_t end = start + std::min(count, text.length - start);
    std::int32_t lastRun = -1;
    for (std::size_t i = start; i < end; ++i) {
        bounds.width += text.advance[i];
        const std::int32_t run = text.run[i];
        if (run < 0 || run == lastRun)
            continue;
        lastRun = run;
        const auto& metrics = text.runs[static_cast<std::size_t>(run)];
        bounds.ascent = std::max(bounds.ascent, metrics.ascent);
        bounds.descent = std::max(bounds.descent, metrics.descent);
        bounds.leading = std::max(bounds.leading, metrics.leading);
    }
    bounds.width *= scale_;
    bounds.ascent *= scale_;
    bounds.descent *= scale_;
    bounds.leading *= scale_;
    return bounds;
}

TypographicBounds lineTypographicBounds(const AttributedString& string) {
    const Typesetter typesetter(string);
    return typesetter.lineBounds(0, typesetter.length());
}

} // namespace ov
