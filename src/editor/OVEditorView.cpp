#include "inkstead/editor/OVEditorView.h"
#include "inkstead/watermarks/OVTextVariables.h"

#include "inkstead/appearance/OVStyleKit.h"
#include "inkstead/editor/OVEditorDragSession_p.h"
#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/platform/gfx/GraphicsContext.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QTemporaryDir>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

namespace {

// Blur of the black shadow under the photograph, in device pixels.
constexpr double kImageShadowBlur = 7.0;
// Redraw areas reach this many points beyond the rectangle that changed.
constexpr double kRedrawMargin = 10.0;

/// True when every pixel is opaque (native layout only; other layouts count as not opaque).
bool isOpaque(const ov::Image& image) {
    if (!image.isNativeLayout())
        return false;
    for (int y = 0; y < image.height(); ++y) {
        const uint8_t* row = image.data() + static_cast<std::size_t>(y) * image.bytesPerRow();
        for (int x = 0; x < image.width(); ++x)
            if (row[4 * x + 3] != 255) // B, G, R, A in memory
                return false;
    }
    return true;
}

// Photographs are decoded on threads of their own: Qt's global pool also does the raster
// engine's parallel fills, which must never wait for a decode.
QThreadPool& decodePool() {
    static QThreadPool pool;
    pool.setMaxThreadCount(2);
    return pool;
}

} // namespace

OVEditorView::OVEditorView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    // Every pass paints the whole dirty area, and the right button is handled on press.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContextMenuPolicy(Qt::PreventContextMenu);
    updateTrackingAreas();
}

OVEditorView::~OVEditorView() = default;

std::shared_ptr<OVEditorViewDelegate> OVEditorView::delegate() const {
    return delegate_.lock();
}

void OVEditorView::setDelegate(std::weak_ptr<OVEditorViewDelegate> delegate) {
    delegate_ = std::move(delegate);
}

void OVEditorView::setSource(ov::ImageSourcePtr source) {
    pending_ = {};
    built_ = {};
    textVariables_.reset();
    image_.reset();
    source_ = std::move(source);
    if (!source_)
        return;
    if (decodesInBackground_) {
        cacheOriginalImageSize();
        if (originalImageSize_.width > 0)
            updateScaleFactor();
        requestThumbnail();
    } else if (image())
        updateScaleFactor();
}

ov::Rect OVEditorView::thumbnailRect() {
    // The thumbnail is decoded at the size the photograph takes on screen, in device pixels,
    // so that it is drawn one to one and stays sharp on high-density screens.
    cacheOriginalImageSize();
    ov::Size target = scaleInsideEditorView(originalImageSize_);
    if (!(target.width >= 1) || !(target.height >= 1))
        target = bounds().size;
    const double ratio = devicePixelRatioF();
    return {0, 0, std::round(target.width * ratio), std::round(target.height * ratio)};
}

ov::ImagePtr OVEditorView::image() {
    if (!source_)
        return image_;
    if (decodesInBackground_) {
        if (!image_ || !imageFitsView())
            requestThumbnail();
        return image_;
    }
    if (image_)
        return image_;
    const ov::Rect rect = thumbnailRect();
    imageBuiltFor_ = {size(), devicePixelRatioF()};
    image_ = createCGImageThumbnailForRect(source_, rect);
    imageIsOpaque_ = image_ && isOpaque(*image_);
    return image_;
}

void OVEditorView::requestThumbnail() {
    if (!source_)
        return;
    const ov::Rect rect = thumbnailRect();
    const Request request{source_.get(), size(), devicePixelRatioF(), rect.size};
    if (request == pending_ || (image_ && request == built_))
        return;
    pending_ = request;
    // A newer request expires the older one's ticket: a decode not yet started is skipped.
    decodeTicket_ = std::make_shared<int>();
    QPointer<OVEditorView> self(this);
    decodePool().start(
        [self, source = source_, rect, request, ticket = std::weak_ptr<int>(decodeTicket_)] {
            if (ticket.expired())
                return;
            auto thumbnail = createCGImageThumbnailForRect(source, rect);
            const bool opaque = thumbnail && isOpaque(*thumbnail);
            // Delivered on the main thread, and only while the view still wants it.
            if (!QCoreApplication::instance())
                return; // the application is ending
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, thumbnail = std::move(thumbnail), opaque, request] {
                    if (!self || self->pending_ != request)
                        return;
                    self->thumbnailArrived(thumbnail, opaque, request);
                },
                Qt::QueuedConnection);
        });
}

void OVEditorView::thumbnailArrived(ov::ImagePtr thumbnail, bool opaque, const Request& request) {
    pending_ = {};
    built_ = request;
    image_ = std::move(thumbnail);
    imageIsOpaque_ = opaque;
    imageBuiltFor_ = {request.size, request.devicePixelRatio};
    if (originalImageSize_.width > 0)
        updateScaleFactor();
    update();
    Q_EMIT thumbnailReady();
}

void OVEditorView::setImage(ov::ImagePtr image) {
    pending_ = {};
    built_ = {};
    image_ = std::move(image);
    imageIsOpaque_ = false;
    imageBuiltFor_ = {size(), devicePixelRatioF()};
}

void OVEditorView::cacheOriginalImageSize() {
    const auto properties = source_ ? source_->properties() : ov::Properties{};
    // Read as single-precision floats, as the stored property values are.
    double width = static_cast<float>(properties.number(ov::kOVPropertyPixelWidth).value_or(0));
    double height = static_cast<float>(properties.number(ov::kOVPropertyPixelHeight).value_or(0));
    const auto orientation = properties.integer(ov::kOVPropertyOrientation);
    if (orientation && (*orientation == 6 || *orientation == 8))
        std::swap(width, height);
    originalImageSize_ =
        preset_ ? preset_->scaleSizeWithPresetResizeSettings({width, height}) : ov::SizeZero;
}

void OVEditorView::windowDidResize() {
    if (decodesInBackground_) {
        // The last thumbnail stays on screen, stretched, until the new one arrives.
        cacheOriginalImageSize();
        if (source_ && originalImageSize_.width > 0) {
            updateScaleFactor();
            requestThumbnail();
        }
        return;
    }
    image_.reset();
    if (source_ && image()) {
        updateScaleFactor();
        updateTrackingAreas();
    }
}

void OVEditorView::updateScaleFactor() {
    scale_ = scaledImageSize().width / originalImageSize_.width;
}

ov::Size OVEditorView::scaledImageSize() const {
    return scaleInsideEditorView(originalImageSize_);
}

ov::Size OVEditorView::scaleInsideEditorView(ov::Size size) const {
    const ov::Size view = bounds().size;
    if (size.width < view.width && size.height < view.height)
        return size;
    return OVMakeSizeWithAspectRatioInsideSize(size, view);
}

ov::Point OVEditorView::translatedOrigin() const {
    const ov::Size view = bounds().size;
    const ov::Size scaled = scaledImageSize();
    return unscalePoint(
        {view.width * 0.5 - scaled.width * 0.5, view.height * 0.5 - scaled.height * 0.5});
}

ov::Rect OVEditorView::scaledImageFrame() const {
    return {translatedOrigin(), originalImageSize_};
}

ov::Point OVEditorView::unscalePoint(ov::Point point) const {
    return {std::max(point.x / scale_, 0.0), std::max(point.y / scale_, 0.0)};
}

ov::Rect OVEditorView::scaleRect(ov::Rect rect) const {
    const ov::Rect scaled{rect.origin.x * scale_, rect.origin.y * scale_, rect.size.width * scale_,
                          rect.size.height * scale_};
    return scaled.insetBy(-kRedrawMargin, -kRedrawMargin);
}

ov::Rect OVEditorView::bounds() const {
    return {0, 0, static_cast<double>(width()), static_cast<double>(height())};
}

ov::Point OVEditorView::viewPoint(QPointF position) const {
    return {position.x(), height() - position.y()};
}

void OVEditorView::setNeedsDisplay() {
    update();
}

void OVEditorView::setNeedsDisplayInRect(ov::Rect rect) {
    const ov::Rect r = rect.standardized();
    update(QRectF(r.minX(), height() - r.maxY(), r.width(), r.height()).toAlignedRect());
}

bool OVEditorView::imageFitsView() const {
    return image_ && imageBuiltFor_.size == size() &&
           imageBuiltFor_.devicePixelRatio == devicePixelRatioF();
}

void OVEditorView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The first showing reports the size that the thumbnail was already built for.
    if (!imageFitsView())
        windowDidResize();
}

void OVEditorView::paintEvent(QPaintEvent* event) {
    const double ratio = devicePixelRatioF();
    const QSize deviceSize(static_cast<int>(std::ceil(width() * ratio)),
                           static_cast<int>(std::ceil(height() * ratio)));
    if (deviceSize.isEmpty())
        return;
    if (backing_.size() != deviceSize || backing_.devicePixelRatio() != ratio) {
        backing_ = QImage(deviceSize, QImage::Format_ARGB32_Premultiplied);
        backing_.setDevicePixelRatio(ratio);
    }
    // The surface's y-up space starts at its bottom edge, which may lie below the widget's when
    // the ratio does not divide evenly; the first transform puts the origin on the widget's.
    auto context = ov::GraphicsContext::createWithData(
        backing_.bits(), deviceSize.width(), deviceSize.height(),
        static_cast<std::size_t>(backing_.bytesPerLine()));
    if (!context)
        return;
    OVSetMainScreenBackingScaleFactor(ratio);
    // Moved to a screen of another density.
    if (image_ && !imageFitsView())
        windowDidResize();
    context->translateCTM(0, deviceSize.height() - height() * ratio);
    context->scaleCTM(ratio, ratio);
    const QRect dirty = event->rect();
    const ov::Rect dirtyRect{
        static_cast<double>(dirty.x()), static_cast<double>(height() - dirty.y() - dirty.height()),
        static_cast<double>(dirty.width()), static_cast<double>(dirty.height())};
    context->clipToRect(dirtyRect);
    drawRect(*context, dirtyRect);
    (void)context->data(); // flushes the drawing into the pixels
    context.reset();

    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), backing_);
}

void OVEditorView::drawRect(ov::GraphicsContext& context, ov::Rect dirtyRect) {
    context.setFillColor(OVStyleKit::editorViewBackgroundColor());
    context.fillRect(dirtyRect);
    if (!source_)
        return;
    const ov::Rect frame = scaledImageFrame();
    // From here on the context draws in unscaled space, and nothing reaches past the photograph.
    context.scaleCTM(scale_, scale_);
    context.clipToRect(frame);
    const ov::ImagePtr thumbnail = image();
    CGContextSaveStateWithCompletion(context, [&] {
        // Clipped to the frame, the shadow lies wholly under the photograph: only where the
        // photograph lets light through can it show, so an opaque one is drawn without it.
        if (!imageIsOpaque_)
            context.setShadowWithColor({0, 0}, kImageShadowBlur, ov::Color::black());
        context.setInterpolationQuality(ov::InterpolationQuality::defaultQuality);
        if (thumbnail)
            context.drawImage(frame, *thumbnail);
    });
    if (!preset_)
        return;
    CGContextSaveStateWithCompletion(context, [&] {
        context.setShadowWithColor({0, 0}, 0, std::nullopt);
        preset_->setPixellateImageSource(thumbnail);
        preset_->setBackdropSample(thumbnail);
        if (!textVariables_)
            textVariables_ = std::make_shared<const OVTextVariables>(OVTextVariables::forImage(
                source_->properties(), source_->path(), originalImageSize_, 1));
        preset_->setTextVariables(textVariables_);
        preset_->setWatermarkBounds(frame);
        preset_->renderInContext(context);
    });
}
