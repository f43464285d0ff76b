#include "inkstead/platform/gfx/VectorPicture.h"

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/gfx/GraphicsContext_p.h"

#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <string_view>

namespace ov {

struct VectorPicture::Handle {
    RsvgHandle* svg = nullptr;
    ~Handle() {
        if (svg)
            g_object_unref(svg);
    }
};

namespace {

// Draws the document into the y-up rectangle on a Cairo context whose space is y-down.
void render(RsvgHandle* svg, cairo_t* cr, const Rect& rect) {
    cairo_translate(cr, rect.origin.x, rect.origin.y + rect.size.height);
    cairo_scale(cr, 1, -1);
    const RsvgRectangle viewport{0, 0, rect.size.width, rect.size.height};
    GError* error = nullptr;
    rsvg_handle_render_document(svg, cr, &viewport, &error);
    if (error)
        g_error_free(error);
}

} // namespace

bool VectorPicture::isVectorData(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                                std::min<std::size_t>(bytes.size(), 4096));
    const auto start = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (start == std::string_view::npos || text[start] != '<')
        return false;
    // The first element, after any declaration, comments and document type.
    std::size_t at = start;
    while (at != std::string_view::npos && at + 1 < text.size() &&
           (text[at + 1] == '?' || text[at + 1] == '!'))
        at = text.find('<', text.find('>', at));
    return at != std::string_view::npos && text.substr(at, 4) == "<svg";
}

std::shared_ptr<const VectorPicture> VectorPicture::createWithData(std::vector<std::uint8_t> bytes) {
    if (!isVectorData(bytes))
        return nullptr;
    std::shared_ptr<VectorPicture> picture(new VectorPicture());
    picture->handle_ = std::make_unique<Handle>();
    GError* error = nullptr;
    picture->handle_->svg = rsvg_handle_new_from_data(bytes.data(), bytes.size(), &error);
    if (error)
        g_error_free(error);
    if (!picture->handle_->svg)
        return nullptr;
    double width = 0, height = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(picture->handle_->svg, &width, &height)) {
        gboolean hasViewBox = false;
        RsvgRectangle viewBox{};
        rsvg_handle_get_intrinsic_dimensions(picture->handle_->svg, nullptr, nullptr, nullptr,
                                             nullptr, &hasViewBox, &viewBox);
        if (!hasViewBox)
            return nullptr;
        width = viewBox.width;
        height = viewBox.height;
    }
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
        return nullptr;
    picture->size_ = {width, height};
    picture->data_ = std::move(bytes);
    return picture;
}

VectorPicture::~VectorPicture() = default;

void VectorPicture::draw(GraphicsContext& context, const Rect& rect) const {
    if (!(rect.size.width > 0) || !(rect.size.height > 0) || !std::isfinite(rect.size.width) ||
        !std::isfinite(rect.size.height))
        return;
    detail::drawOperation(context, [&](cairo_t* cr) {
        std::lock_guard lock(mutex_);
        render(handle_->svg, cr, rect);
    });
}

ImagePtr VectorPicture::rasterize(int width, int height) const {
    auto context = GraphicsContext::createBitmap(width, height);
    if (!context)
        return nullptr;
    draw(*context, {0, 0, double(width), double(height)});
    return context->takeImage();
}

} // namespace ov
