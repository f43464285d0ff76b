#include "inkstead/appearance/OVQtBridge.h"

#include "inkstead/platform/gfx/GraphicsContext.h"

#include <QCoreApplication>

#include <cmath>

QColor OVQColor(const ov::Color& c) {
    return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                            static_cast<float>(c.blue), static_cast<float>(c.alpha));
}

ov::Color OVColorFromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return {rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()};
}

QImage OVQImage(const ov::ImagePtr& image) {
    if (!image)
        return {};
    ov::ImagePtr native = image->isNativeLayout() ? image : image->nativeCopy();
    if (!native)
        return {};
    // The native layout (premultiplied ARGB in a 32-bit little-endian word) is Qt's
    // Format_ARGB32_Premultiplied on the little-endian machines the library runs on.
    const QImage view(native->data(), native->width(), native->height(),
                      static_cast<qsizetype>(native->bytesPerRow()),
                      QImage::Format_ARGB32_Premultiplied);
    return view.copy();
}

QImage OVRenderQImage(QSize size, double scale,
                      const std::function<void(ov::GraphicsContext&)>& draw) {
    if (size.isEmpty() || !(scale > 0))
        return {};
    auto context =
        ov::GraphicsContext::createBitmap(static_cast<int>(std::ceil(size.width() * scale)),
                                          static_cast<int>(std::ceil(size.height() * scale)));
    if (!context)
        return {};
    context->scaleCTM(scale, scale);
    if (draw)
        draw(*context);
    QImage result = OVQImage(context->takeImage());
    result.setDevicePixelRatio(scale);
    return result;
}

void OVPostToMainThread(std::function<void()> work) {
    if (auto* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}
