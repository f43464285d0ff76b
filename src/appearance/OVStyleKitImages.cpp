// Cached pictures of the icons: bitmaps per scale for any thread, QIcons for the main thread.

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVStyleKit.h"

#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <utility>

ov::ImagePtr OVStyleKit::image(Icon icon, int scale) {
    scale = std::max(scale, 1);
    static std::mutex mutex;
    static std::map<std::pair<Icon, int>, ov::ImagePtr> cache;
    std::lock_guard lock(mutex);
    ov::ImagePtr& cached = cache[{icon, scale}];
    if (!cached) {
        const ov::Size points = size(icon);
        auto context =
            ov::GraphicsContext::createBitmap(static_cast<int>(std::ceil(points.width * scale)),
                                              static_cast<int>(std::ceil(points.height * scale)));
        if (!context)
            return nullptr;
        context->scaleCTM(scale, scale);
        draw(icon, *context);
        cached = context->takeImage();
    }
    return cached;
}

QIcon OVStyleKit::qIcon(Icon icon) {
    static std::map<Icon, QIcon> cache;
    QIcon& cached = cache[icon];
    if (cached.isNull()) {
        for (int scale : {1, 2}) {
            QImage picture = OVQImage(image(icon, scale));
            picture.setDevicePixelRatio(scale);
            cached.addPixmap(QPixmap::fromImage(picture));
        }
    }
    return cached;
}
