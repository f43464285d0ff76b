#include "inkstead/platform/text/TextThread_p.h"

#include <pango/pangocairo.h>

#include <list>
#include <string>
#include <unordered_map>

namespace ov::detail {

namespace {

struct ThreadState {
    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;

    // Least recently used first; a handful of texts are live at a time (one per watermark).
    using Entry = std::pair<std::string, std::shared_ptr<const ShapedText>>;
    std::list<Entry> order;
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index;
    static constexpr std::size_t kCapacity = 64;

    ThreadState() {
        fontMap = pango_cairo_font_map_new();
        context = pango_font_map_create_context(fontMap);
        // Unhinted outlines and fractional positions make every metric linear in the size.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(context, FALSE);
    }
    ~ThreadState() {
        index.clear();
        order.clear();
        g_object_unref(context);
        g_object_unref(fontMap);
    }
    ThreadState(const ThreadState&) = delete;
    ThreadState& operator=(const ThreadState&) = delete;
};

ThreadState& threadState() {
    thread_local ThreadState state;
    return state;
}

std::shared_ptr<const ShapedText> shape(std::string_view text, const ResolvedFace& face) {
    auto shaped = std::make_shared<ShapedText>();
    PangoLayout* layout = createReferenceLayout(text, face);

    // Character index of every byte that starts a character.
    const char* begin = pango_layout_get_text(layout);
    const auto bytes = static_cast<std::size_t>(std::char_traits<char>::length(begin));
    std::vector<std::int32_t> charOfByte(bytes + 1, 0);
    std::size_t chars = 0;
    for (const char* p = begin; *p; p = g_utf8_next_char(p))
        charOfByte[static_cast<std::size_t>(p - begin)] = static_cast<std::int32_t>(chars++);
    charOfByte[bytes] = static_cast<std::int32_t>(chars);

    shaped->length = chars;
    shaped->advance.assign(chars, 0.0);
    shaped->flags.assign(chars, 0);
    shaped->run.assign(chars, -1);

    int attrCount = 0;
    const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout, &attrCount);
    for (std::size_t i = 0; i < chars && i < static_cast<std::size_t>(attrCount); ++i) {
        std::uint8_t f = 0;
        if (attrs[i].is_line_break)
            f |= ShapedText::kBreakBefore;
        if (attrs[i].is_mandatory_break)
            f |= ShapedText::kMandatoryBefore;
        if (attrs[i].is_cursor_position)
            f |= ShapedText::kClusterStart;
        if (attrs[i].is_white)
            f |= ShapedText::kWhite;
        shaped->flags[i] = f;
    }

    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        PangoLayoutRun* run = pango_layout_iter_get_run_readonly(iter);
        if (!run)
            continue;
        PangoItem* item = run->item;
        PangoRectangle logical{};
        pango_glyph_string_extents(run->glyphs, item->analysis.font, nullptr, &logical);
        ShapedText::RunMetrics metrics;
        metrics.ascent = -logical.y / double(PANGO_SCALE);
        metrics.descent = (logical.y + logical.height) / double(PANGO_SCALE);
        if (PangoFontMetrics* fm =
                pango_font_get_metrics(item->analysis.font, item->analysis.language)) {
            const int gap = pango_font_metrics_get_height(fm) - pango_font_metrics_get_ascent(fm) -
                            pango_font_metrics_get_descent(fm);
            metrics.leading = gap > 0 ? gap / double(PANGO_SCALE) : 0.0;
            pango_font_metrics_unref(fm);
        }
        const auto runIndex = static_cast<std::int32_t>(shaped->runs.size());
        shaped->runs.push_back(metrics);

        const auto first = static_cast<std::size_t>(item->offset);
        const auto last = std::min(bytes, first + static_cast<std::size_t>(item->length));
        for (std::size_t b = first; b < last;
             b = static_cast<std::size_t>(g_utf8_next_char(begin + b) - begin))
            shaped->run[static_cast<std::size_t>(charOfByte[b])] = runIndex;
        for (int g = 0; g < run->glyphs->num_glyphs; ++g) {
            const std::size_t byte = first + static_cast<std::size_t>(run->glyphs->log_clusters[g]);
            if (byte < bytes)
                shaped->advance[static_cast<std::size_t>(charOfByte[byte])] +=
                    run->glyphs->glyphs[g].geometry.width / double(PANGO_SCALE);
        }
    } while (pango_layout_iter_next_run(iter));
    pango_layout_iter_free(iter);
    g_object_unref(layout);
    return shaped;
}

} // namespace

PangoContext* threadPangoContext() {
    return threadState().context;
}

PangoLayout* createReferenceLayout(std::string_view text, const ResolvedFace& face) {
    PangoLayout* layout = pango_layout_new(threadPangoContext());
    PangoFontDescription* description = pango_font_description_copy(face.description);
    pango_font_description_set_absolute_size(description, kReferenceFontSize * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    return layout;
}

std::shared_ptr<const ShapedText> shapedText(std::string_view text, const ResolvedFace& face) {
    ThreadState& state = threadState();
    std::string key;
    key.reserve(face.key.size() + 1 + text.size());
    key.append(face.key).push_back('\n');
    key.append(text);
    if (auto it = state.index.find(key); it != state.index.end()) {
        state.order.splice(state.order.end(), state.order, it->second);
        return it->second->second;
    }
    auto shaped = shape(text, face);
    if (state.order.size() >= ThreadState::kCapacity) {
        state.index.erase(state.order.front().first);
        state.order.pop_front();
    }
    state.order.emplace_back(std::move(key), shaped);
    auto last = std::prev(state.order.end());
    state.index.emplace(last->first, last);
    return shaped;
}

} // namespace ov::detail
