#include "inkstead/platform/gfx/Image.h"

#include "inkstead/platform/gfx/GraphicsContextImpl_p.h"
#include "inkstead/platform/gfx/PixelFormat_p.h"

#include <cairo.h>

#include <limits>

namespace ov {
namespace {

// Cairo's largest image side.
constexpr int kMaxSide = 32767;

cairo_surface_t* surfaceOverNativePixels(const Image& image) {
    return cairo_image_surface_create_for_data(const_cast<uint8_t*>(image.data()),
                                               CAIRO_FORMAT_ARGB32, image.width(), image.height(),
                                               static_cast<int>(image.bytesPerRow()));
}

} // namespace

std::shared_ptr<const Image> Image::create(int width, int height, std::size_t bytesPerRow,
                                           uint32_t bitmapInfo, std::vector<uint8_t> pixels) {
    if (width <= 0 || height <= 0 || (bitmapInfo & kBitmapFloatComponents))
        return nullptr;
    const auto minRow = static_cast<std::size_t>(width) * detail::bytesPerPixel(bitmapInfo);
    if (bytesPerRow < minRow)
        return nullptr;
    if (bytesPerRow > std::numeric_limits<std::size_t>::max() / static_cast<std::size_t>(height))
        return nullptr;
    if (pixels.size() < bytesPerRow * static_cast<std::size_t>(height))
        return nullptr;
    auto image = std::shared_ptr<Image>(new Image());
    image->width_ = width;
    image->height_ = height;
    image->bytesPerRow_ = bytesPerRow;
    image->bitmapInfo_ = bitmapInfo;
    image->pixels_ = std::move(pixels);
    return image;
}

std::shared_ptr<Image> Image::createNative(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return nullptr;
    auto image = std::shared_ptr<Image>(new Image());
    image->width_ = width;
    image->height_ = height;
    image->bytesPerRow_ = static_cast<std::size_t>(width) * 4;
    image->bitmapInfo_ = kNativeBitmapInfo;
    image->pixels_.assign(image->bytesPerRow_ * static_cast<std::size_t>(height), 0);
    return image;
}

std::shared_ptr<const Image> Image::readPNG(const std::filesystem::path& path) {
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    std::shared_ptr<Image> image;
    if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS)
        image =
            createNative(cairo_image_surface_get_width(png), cairo_image_surface_get_height(png));
    if (image) {
        // Painting onto a native surface converts whatever format the file had.
        cairo_surface_t* target = surfaceOverNativePixels(*image);
        cairo_t* cr = cairo_create(target);
        cairo_set_source_surface(cr, png, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(target);
        cairo_surface_destroy(target);
    }
    cairo_surface_destroy(png);
    return image;
}

Color Image::colorAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return Color::clear();
    const int row = height_ - 1 - y;
    const uint8_t* p = pixels_.data() + static_cast<std::size_t>(row) * bytesPerRow_ +
                       static_cast<std::size_t>(x) * detail::bytesPerPixel(bitmapInfo_);
    const detail::Rgba8 px = detail::readPixel(p, bitmapInfo_);
    if (px.a == 0)
        return Color::clear();
    const double a = px.a / 255.0;
    return {px.r / 255.0 / a, px.g / 255.0 / a, px.b / 255.0 / a, a};
}

std::shared_ptr<const Image> Image::nativeCopy() const {
    auto copy = createNative(width_, height_);
    if (!copy)
        return nullptr;
    const std::size_t outRow = copy->bytesPerRow_;
    if (isNativeLayout()) {
        for (int y = 0; y < height_; ++y)
            std::memcpy(copy->pixels_.data() + y * outRow, pixels_.data() + y * bytesPerRow_,
                        outRow);
        return copy;
    }
    const int step = detail::bytesPerPixel(bitmapInfo_);
    for (int y = 0; y < height_; ++y) {
        const uint8_t* in = pixels_.data() + static_cast<std::size_t>(y) * bytesPerRow_;
        uint8_t* out = copy->pixels_.data() + static_cast<std::size_t>(y) * outRow;
        for (int x = 0; x < width_; ++x, in += step, out += 4)
            detail::writeNativePixel(out, detail::readPixel(in, bitmapInfo_));
    }
    return copy;
}

Result<void> Image::writePNG(const std::filesystem::path& path) const {
    std::shared_ptr<const Image> native;
    const Image* source = this;
    if (!isNativeLayout() || bytesPerRow_ % 4 != 0 || width_ > kMaxSide || height_ > kMaxSide) {
        native = nativeCopy();
        if (!native)
            return makeError(std::errc::not_enough_memory,
                             "The image could not be converted to write " + path.string());
        source = native.get();
    }
    cairo_surface_t* surface = surfaceOverNativePixels(*source);
    cairo_status_t status = cairo_surface_status(surface);
    if (status == CAIRO_STATUS_SUCCESS)
        status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    return pngWritten(status, path);
}

std::shared_ptr<const Image> Image::withVectorSource(const Image& image,
                                                     std::shared_ptr<const VectorPicture> vector) {
    auto copy = std::shared_ptr<Image>(new Image(image));
    copy->vectorSource_ = std::move(vector);
    return copy;
}

} // namespace ov
