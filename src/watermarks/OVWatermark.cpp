#include "inkstead/watermarks/OVWatermark.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

std::atomic<double> gBackingScaleFactor{1.0};

// Colours of the editing decorations.
constexpr ov::Color kSelectionFrameColor{0.0, 0.737, 0.952, 1.0};
constexpr ov::Color kHandleBottomColor{0.95, 0.95, 0.95, 1.0};
constexpr ov::Color kHandleTopColor{1.0, 1.0, 1.0, 1.0};
constexpr ov::Color kHandleOutlineColor{0.5, 0.5, 0.5, 1.0};

const OVWatermarkOptionValue* findOption(const OVWatermarkOptions& options, std::string_view key) {
    auto it = options.find(key);
    return it == options.end() ? nullptr : &it->second;
}

std::optional<double> numberOption(const OVWatermarkOptions& options, std::string_view key) {
    const auto* value = findOption(options, key);
    if (!value)
        return std::nullopt;
    if (const auto* d = std::get_if<double>(value))
        return *d;
    if (const auto* i = std::get_if<std::int64_t>(value))
        return static_cast<double>(*i);
    if (const auto* b = std::get_if<bool>(value))
        return *b ? 1.0 : 0.0;
    return std::nullopt;
}

// Options stored as numbers boxed from 32-bit floats come back narrowed.
double floatOption(const OVWatermarkOptions& options, std::string_view key, double fallback) {
    auto n = numberOption(options, key);
    return n ? static_cast<double>(static_cast<float>(*n)) : fallback;
}

std::uint64_t integerOption(const OVWatermarkOptions& options, std::string_view key) {
    const auto* value = findOption(options, key);
    if (!value)
        return 0;
    if (const auto* i = std::get_if<std::int64_t>(value))
        return static_cast<std::uint64_t>(*i);
    auto n = numberOption(options, key);
    return n && std::isfinite(*n) ? static_cast<std::uint64_t>(static_cast<std::int64_t>(*n)) : 0;
}

bool boolOption(const OVWatermarkOptions& options, std::string_view key, bool fallback) {
    auto n = numberOption(options, key);
    return n ? *n != 0 : fallback;
}

template <class T>
std::optional<T> valueOption(const OVWatermarkOptions& options, std::string_view key) {
    const auto* value = findOption(options, key);
    if (!value)
        return std::nullopt;
    if (const auto* v = std::get_if<T>(value))
        return *v;
    return std::nullopt;
}

// Rounds like roundf on the 32-bit value and widens again.
double roundedDimension(double value) {
    return static_cast<double>(std::roundf(static_cast<float>(value)));
}

// max(value, minimum) in which a NaN gives the minimum.
double atLeast(double value, double minimum) {
    return value >= minimum ? value : minimum;
}

} // namespace

double OVMainScreenBackingScaleFactor() {
    return gBackingScaleFactor.load();
}

void OVSetMainScreenBackingScaleFactor(double factor) {
    gBackingScaleFactor.store(factor > 0 && std::isfinite(factor) ? factor : 1.0);
}

ov::Rect unscaledHandleBoundsAtPoint(ov::Point point, double scale) {
    const double backing = OVMainScreenBackingScaleFactor();
    const double half = (5.0 / scale) * backing;
    const double side = (10.0 / scale) * backing;
    return {point.x - half, point.y - half, side, side};
}

OVWatermark::OVWatermark() {
    // Whatever makes watermarks can archive them.
    OVRegisterWatermarkKinds();
}
OVWatermark::~OVWatermark() = default;

void OVWatermark::registerArchivedClasses() {
    OVRegisterWatermarkKinds();
}

void OVWatermark::initWithWatermarkType(OVWatermarkType type) {
    setOrigin({0, 0});
    setSize({200, 200});
    setAlpha(1.0);
    setRotation(0);
    setShadow(0);
    setUuid(ov::UUID::random());
    setType(type);
    setTitle("Watermark");
    setEditable(false);
    setVisible(true);
    setShouldResizeProportionally(true);
    setShouldUseRelativePosition(true);
    setShouldUseRelativeSize(true);
    setShouldSave(false);
    setHasMaxSize(false);
    setMaxSize({0, 0});
    setRelativeSize({1, 1});
    setRelativePosition({0, 0});
    setRelativeQuadrant(OVRelativeQuadrantBottomLeft);
}

void OVWatermark::initWatermarkWithOptions(const OVWatermarkOptions& options) {
    setUuid(ov::UUID::random());
    setOrigin({0, 0});
    setType(static_cast<OVWatermarkType>(integerOption(options, kOVWatermarkTypeKey)));
    setTitle(valueOption<std::string>(options, kOVWatermarkTitleKey).value_or("Watermark"));
    setSize(valueOption<ov::Size>(options, kOVWatermarkSizeKey).value_or(ov::Size{200, 200}));
    setAlpha(floatOption(options, kOVWatermarkAlphaKey, 1.0));
    setRotation(floatOption(options, kOVWatermarkRotationKey, 0.0));
    setShadow(floatOption(options, kOVWatermarkShadowKey, 0.0));
    setRelativeSize(
        valueOption<ov::Size>(options, kOVWatermarkRelativeSizeKey).value_or(ov::Size{1, 1}));
    setRelativePosition(
        valueOption<ov::Point>(options, kOVWatermarkRelativePositionKey).value_or(ov::Point{}));
    setRelativeQuadrant(
        static_cast<OVRelativeQuadrant>(integerOption(options, kOVWatermarkRelativeQuadrantKey)));
    setShouldResizeProportionally(boolOption(options, kOVWatermarkProportionalKey, true));
    setShouldUseRelativePosition(
        boolOption(options, kOVWatermarkShouldUseRelativePositionKey, true));
    setShouldUseRelativeSize(boolOption(options, kOVWatermarkShouldUseRelativeSizeKey, true));
    setVisible(false);
    setEditable(false);
    setHasMaxSize(false);
    setMaxSize({0, 0});
}

std::shared_ptr<OVWatermark> OVWatermark::watermarkWithType(OVWatermarkType type) {
    auto watermark = std::make_shared<OVWatermark>();
    watermark->initWithWatermarkType(type);
    return watermark;
}

std::shared_ptr<OVWatermark> OVWatermark::newInstance() const {
    return std::make_shared<OVWatermark>();
}

std::shared_ptr<OVWatermark> OVWatermark::copy() const {
    auto copy = newInstance();
    copy->setOrigin(origin());
    copy->setSize(size());
    copy->setType(type());
    copy->setUuid(uuid());
    if (hasTitle())
        copy->setTitle(title());
    copy->setAlpha(alpha());
    copy->setRotation(rotation());
    copy->setShadow(shadow());
    copy->setRelativePosition(relativePosition());
    copy->setRelativeSize(relativeSize());
    copy->setShouldResizeProportionally(shouldResizeProportionally());
    copy->setShouldUseRelativePosition(shouldUseRelativePosition());
    copy->setShouldUseRelativeSize(shouldUseRelativeSize());
    copy->setRelativeQuadrant(relativeQuadrant());
    copy->setRelativePositionComputed(isRelativePositionComputed());
    copy->setRelativeSizeComputed(isRelativeSizeComputed());
    copy->placement_ = placement(); // stored as it is: the copy is placed at its first bounds
    copy->setVisible(isVisible());
    copy->setTiling(tiling());
    copy->setMaxSize(maxSize());
    copy->setHasMaxSize(hasMaxSize());
    return copy;
}

std::shared_ptr<OVWatermark> OVWatermark::duplicate() const {
    auto twin = copy();
    twin->setUuid(ov::UUID::random());
    return twin;
}

bool OVWatermark::isEqualToWatermark(const OVWatermark* other) const {
    // A missing identifier (a damaged record) matches nothing, not even another missing one.
    if (!other)
        return false;
    const ov::UUID mine = uuid();
    return !mine.isNil() && other->uuid() == mine;
}

// MARK: Geometry

ov::Rect OVWatermark::drawRect() const {
    const ov::Point o = origin();
    const ov::Rect b = bounds();
    const ov::Size s = size();
    return {o.x + b.origin.x, o.y + b.origin.y, roundedDimension(s.width),
            roundedDimension(s.height)};
}

ov::Rect OVWatermark::rotatedDrawRect() const {
    const ov::Rect content = drawRect();
    return content.applying(OVAffineTransformRotateOnPoint(rotation(), OVRectCenter(content)));
}

ov::Point OVWatermark::translateContext() const {
    const ov::Rect content = drawRect();
    const ov::Rect rotated = rotatedDrawRect();
    return {content.origin.x - rotated.origin.x, content.origin.y - rotated.origin.y};
}

ov::Rect OVWatermark::frame() const {
    if (rotation() == 0)
        return drawRect();
    ov::Rect box = rotatedDrawRect();
    const ov::Point shift = translateContext();
    box.origin.x += shift.x;
    box.origin.y += shift.y;
    return box;
}

ov::AffineTransform OVWatermark::rotationTransform() const {
    const double angle = rotation();
    ov::AffineTransform shift = ov::AffineTransform::identity();
    if (angle != 0 && angle != 180) {
        const ov::Point t = translateContext();
        shift = ov::AffineTransform::makeTranslation(t.x, t.y);
    }
    const ov::AffineTransform rotate =
        OVAffineTransformRotateOnPoint(angle, OVRectCenter(drawRect()));
    return ov::concat(rotate, shift);
}

void OVWatermark::setSize(ov::Size newSize) {
    if (newSize == size())
        return;
    if (hasMaxSize()) {
        const ov::Size limit = maxSize();
        const double width = limit.width > newSize.width ? newSize.width : limit.width;
        const double height = limit.height > newSize.height ? newSize.height : limit.height;
        size_ = {std::fabs(width), std::fabs(height)};
        return;
    }
    size_ = newSize;
}

// MARK: Relative placement

void OVWatermark::calculateRelativePosition() {
    const ov::Rect image = bounds();
    if (image == ov::RectZero)
        return;
    const auto toImage = ov::AffineTransform::makeTranslation(-image.origin.x, -image.origin.y);
    const ov::Rect imageRect = image.applying(toImage);
    const ov::Rect box = frame().applying(toImage);

    const double width = imageRect.size.width;
    const double height = imageRect.size.height;
    const double left = box.origin.x;
    const double bottom = box.origin.y;
    const double right = width - (box.origin.x + box.size.width);
    const double top = height - (box.origin.y + box.size.height);

    const float leftF = static_cast<float>(left), bottomF = static_cast<float>(bottom);
    const float rightF = static_cast<float>(right), topF = static_cast<float>(top);
    const float d0 = std::hypotf(leftF, bottomF);
    const float d1 = std::hypotf(rightF, bottomF);
    const float d2 = std::hypotf(leftF, topF);
    const float d3 = std::hypotf(rightF, topF);

    OVRelativeQuadrant quadrant = OVRelativeQuadrantBottomLeft;
    double horizontal = left;
    double vertical = bottom;
    if (d2 < d0 && d2 < d1 && d2 < d3) {
        quadrant = OVRelativeQuadrantTopLeft;
        horizontal = left;
        vertical = top;
    } else if (d3 < d0 && d3 < d1 && d3 < d2) {
        quadrant = OVRelativeQuadrantTopRight;
        horizontal = right;
        vertical = top;
    } else if (d1 < d0 && d1 < d2 && d1 < d3) {
        quadrant = OVRelativeQuadrantBottomRight;
        horizontal = right;
        vertical = bottom;
    }

    setRelativeQuadrant(quadrant);
    setRelativePosition({horizontal / width, vertical / height});
    setRelativePositionComputed(true);
    const ov::Rect content = drawRect();
    setRelativeSize({content.size.width / width, content.size.height / height});
    setRelativeSizeComputed(true);
}

ov::Point OVWatermark::adjustOrigin() const {
    const ov::Size image = bounds().size;
    const ov::Size box = frame().size;
    const ov::Point relative = relativePosition();
    const double w = image.width, h = image.height;
    switch (relativeQuadrant()) {
    case OVRelativeQuadrantBottomLeft:
        return {relative.x * w, relative.y * h};
    case OVRelativeQuadrantBottomRight:
        return {w - box.width - relative.x * w, relative.y * h};
    case OVRelativeQuadrantTopLeft:
        return {relative.x * w, h - box.height - relative.y * h};
    case OVRelativeQuadrantTopRight:
        return {w - box.width - relative.x * w, h - box.height - relative.y * h};
    }
    return {0, 0};
}

ov::Rect OVWatermark::bounds() const {
    return bounds_;
}

void OVWatermark::setBounds(ov::Rect newBounds) {
    if (newBounds == bounds())
        return;
    bounds_ = newBounds;

    if (placement()) {
        applyPlacement();
        return;
    }

    if (shouldUseRelativeSize()) {
        const ov::Size relative = relativeSize();
        if (!isRelativeSizeComputed()) {
            calculateRelativePosition();
        } else {
            // Only the width fraction is used: the height follows the current aspect ratio, so
            // the watermark keeps its shape on images of any proportion.
            const ov::Size current = size();
            const double aspect = current.width / current.height;
            const double imageWidth = newBounds.size.width;
            const ov::Size derived{std::fabs(relative.width * imageWidth),
                                   std::fabs(relative.width * imageWidth / aspect)};
            if (derived != current)
                setSize(derived);
        }
    }

    if (shouldUseRelativePosition()) {
        const ov::Point relative = relativePosition();
        if (std::isfinite(relative.x) && std::isfinite(relative.y) && isRelativePositionComputed())
            origin_ = adjustOrigin();
    }
}

// MARK: Moving and resizing

void OVWatermark::offsetOriginByX(double dx, double dy) {
    placement_.reset(); // moved by hand: placed relatively from now on
    const ov::Point current = origin();
    setOrigin({current.x + dx, current.y + dy});
    setShouldSave(true);
    calculateRelativePosition();
}

void OVWatermark::resizeByMovingHandle(OVWatermarkHandle handle, ov::Point point) {
    resizeByMovingHandle(handle, point, shouldResizeProportionally());
}

void OVWatermark::resizeByMovingHandle(OVWatermarkHandle handle, ov::Point point,
                                       bool resizeProportionally) {
    placement_.reset(); // resized by hand: placed relatively from now on
    const ov::Point o = origin();
    const ov::Size s = size();
    double width = s.width;
    double height = s.height;
    double x = o.x;
    double y = o.y;

    if (!resizeProportionally) {
        switch (handle) {
        case OVWatermarkHandleTopLeft:
        case OVWatermarkHandleBottomLeft:
            width = o.x + s.width - point.x;
            x = point.x;
            break;
        case OVWatermarkHandleTopRight:
        case OVWatermarkHandleBottomRight:
            width = point.x - o.x;
            break;
        default:
            break;
        }
        switch (handle) {
        case OVWatermarkHandleBottomLeft:
        case OVWatermarkHandleBottomRight:
            height = o.y + s.height - point.y;
            y = point.y;
            break;
        case OVWatermarkHandleTopLeft:
        case OVWatermarkHandleTopRight:
            height = point.y - o.y;
            break;
        default:
            break;
        }
        // The origin is not corrected for the clamp: a left or bottom handle dragged past the
        // opposite edge leaves a minimum box whose near edge follows the pointer.
        width = atLeast(width, kOVWatermarkMinimumHandleSize);
        height = atLeast(height, kOVWatermarkMinimumHandleSize);
    } else {
        // Only the pointer's x drives a proportional resize.
        const double ratio = s.width / s.height;
        const double top = o.y + s.height;
        const bool leftHandle =
            handle == OVWatermarkHandleTopLeft || handle == OVWatermarkHandleBottomLeft;
        if (handle == OVWatermarkHandleTopRight || handle == OVWatermarkHandleBottomRight) {
            width = point.x - o.x;
        } else if (leftHandle) {
            width = s.width + o.x - point.x;
            if (hasMaxSize() && !(maxSize().width > width))
                width = maxSize().width;
            // A watermark held at its maximum width does not slide.
            x = width == size().width ? o.x : point.x;
        }
        width = atLeast(width, kOVWatermarkMinimumHandleSize);
        height = width / ratio;
        if (hasMaxSize() && !(maxSize().height > height))
            height = maxSize().height;
        // Bottom handles keep the top edge where it was.
        if ((handle == OVWatermarkHandleBottomLeft || handle == OVWatermarkHandleBottomRight) &&
            height != size().height)
            y = top - height;
    }

    setSize({width, height});
    setOrigin({x, y});
    setShouldSave(true);
    calculateRelativePosition();
}

// MARK: Hit testing

bool OVWatermark::isHandleAtPoint(ov::Point corner, ov::Point point, double scale) const {
    return unscaledHandleBoundsAtPoint(corner, scale).contains(point);
}

OVWatermarkHandle OVWatermark::handleUnderPoint(ov::Point point, double scale) const {
    const ov::Rect box = frame();
    const std::pair<ov::Point, OVWatermarkHandle> corners[] = {
        {{box.minX(), box.minY()}, OVWatermarkHandleBottomLeft},
        {{box.maxX(), box.minY()}, OVWatermarkHandleBottomRight},
        {{box.minX(), box.maxY()}, OVWatermarkHandleTopLeft},
        {{box.maxX(), box.maxY()}, OVWatermarkHandleTopRight},
    };
    for (const auto& [corner, handle] : corners)
        if (isHandleAtPoint(corner, point, scale))
            return handle;
    return OVWatermarkHandleNone;
}

bool OVWatermark::containsPoint(ov::Point point, double scale) const {
    return frame().contains(point) || handleUnderPoint(point, scale) != OVWatermarkHandleNone;
}

// MARK: Rendering

void OVWatermark::renderInContext(ov::GraphicsContext& context) {
    if (isEditable())
        drawEditableIndicationFrameInContext(context);
}

void OVWatermark::drawEditableIndicationFrameInContext(ov::GraphicsContext& context) {
    CGContextSaveStateWithCompletion(context, [&] {
        // Divided by the context scale so the frame keeps one on-screen size at any zoom.
        const double scale = OVContextGetScale(context);
        const double backing = OVMainScreenBackingScaleFactor();
        const double dash = (3.0 / scale) * backing;
        context.setStrokeColor(kSelectionFrameColor);
        context.setLineWidth(2.0 / scale);
        context.setLineDash(0, {dash, dash, dash, dash});
        context.strokeRect(frame());
    });
}

void OVWatermark::drawHandlesInContext(ov::GraphicsContext& context) {
    const double scale = OVContextGetScale(context);
    const ov::Rect box = frame();
    drawHandleInContext(context, {box.minX(), box.minY()}, scale);
    drawHandleInContext(context, {box.maxX(), box.minY()}, scale);
    drawHandleInContext(context, {box.minX(), box.maxY()}, scale);
    drawHandleInContext(context, {box.maxX(), box.maxY()}, scale);
}

void OVWatermark::drawHandleInContext(ov::GraphicsContext& context, ov::Point point, double scale) {
    const ov::Rect handle = unscaledHandleBoundsAtPoint(point, scale);
    CGContextSaveStateWithCompletion(context, [&] {
        context.addRect(handle);
        context.clip();
        context.drawLinearGradient(ov::Gradient{{kHandleBottomColor, kHandleTopColor}, {}},
                                   {handle.midX(), handle.minY()}, {handle.midX(), handle.maxY()});
    });
    CGContextSaveStateWithCompletion(context, [&] {
        context.setStrokeColor(kHandleOutlineColor);
        context.strokeRect(handle);
    });
}

// MARK: Properties

ov::Point OVWatermark::origin() const {
    return origin_;
}
void OVWatermark::setOrigin(ov::Point origin) {
    origin_ = origin;
}
ov::Size OVWatermark::size() const {
    return size_;
}
double OVWatermark::alpha() const {
    return alpha_;
}
void OVWatermark::setAlpha(double alpha) {
    alpha_ = alpha;
}
double OVWatermark::rotation() const {
    return rotation_;
}
void OVWatermark::setRotation(double rotation) {
    rotation_ = rotation;
}
double OVWatermark::shadow() const {
    return shadow_;
}
void OVWatermark::setShadow(double shadow) {
    shadow_ = shadow;
}
ov::UUID OVWatermark::uuid() const {
    return uuid_;
}
void OVWatermark::setUuid(ov::UUID uuid) {
    uuid_ = uuid;
}
OVWatermarkType OVWatermark::type() const {
    return type_;
}
void OVWatermark::setType(OVWatermarkType type) {
    type_ = type;
}
std::string OVWatermark::title() const {
    return title_.value_or(std::string());
}
void OVWatermark::setTitle(std::string title) {
    title_ = std::move(title);
}
bool OVWatermark::hasTitle() const {
    return title_.has_value();
}
bool OVWatermark::isEditable() const {
    return editable_;
}
void OVWatermark::setEditable(bool editable) {
    editable_ = editable;
}
bool OVWatermark::isVisible() const {
    return visible_;
}
void OVWatermark::setVisible(bool visible) {
    visible_ = visible;
}
bool OVWatermark::shouldResizeProportionally() const {
    return shouldResizeProportionally_;
}
void OVWatermark::setShouldResizeProportionally(bool proportionally) {
    shouldResizeProportionally_ = proportionally;
}
bool OVWatermark::shouldUseRelativePosition() const {
    return shouldUseRelativePosition_;
}
void OVWatermark::setShouldUseRelativePosition(bool use) {
    shouldUseRelativePosition_ = use;
}
bool OVWatermark::shouldUseRelativeSize() const {
    return shouldUseRelativeSize_;
}
void OVWatermark::setShouldUseRelativeSize(bool use) {
    shouldUseRelativeSize_ = use;
}
bool OVWatermark::shouldSave() const {
    return shouldSave_.load();
}
void OVWatermark::setShouldSave(bool shouldSave) {
    shouldSave_.store(shouldSave);
}
bool OVWatermark::hasMaxSize() const {
    return hasMaxSize_.load();
}
void OVWatermark::setHasMaxSize(bool hasMaxSize) {
    hasMaxSize_.store(hasMaxSize);
}
ov::Size OVWatermark::maxSize() const {
    return maxSize_;
}
void OVWatermark::setMaxSize(ov::Size maxSize) {
    maxSize_ = maxSize;
}
ov::Size OVWatermark::relativeSize() const {
    return relativeSize_;
}
void OVWatermark::setRelativeSize(ov::Size relativeSize) {
    relativeSize_ = relativeSize;
    relativeSizeComputed_ = !(relativeSize == ov::Size{0, 0}) && !(relativeSize == ov::Size{1, 1});
}
ov::Point OVWatermark::relativePosition() const {
    return relativePosition_;
}
void OVWatermark::setRelativePosition(ov::Point relativePosition) {
    relativePosition_ = relativePosition;
    relativePositionComputed_ = !(relativePosition == ov::Point{0, 0});
}
OVRelativeQuadrant OVWatermark::relativeQuadrant() const {
    return relativeQuadrant_;
}
void OVWatermark::setRelativeQuadrant(OVRelativeQuadrant quadrant) {
    relativeQuadrant_ = quadrant;
}

OVTiling OVWatermark::tiling() const {
    return tiling_;
}

void OVWatermark::setTiling(OVTiling tiling) {
    const auto clamp = [](double value, double low, double high) {
        return std::isfinite(value) ? std::clamp(value, low, high) : 0.0;
    };
    tiling.spacing = clamp(tiling.spacing, 0, kOVTilingMaxSpacing);
    tiling.angle = clamp(tiling.angle, -kOVTilingMaxAngle, kOVTilingMaxAngle);
    tiling_ = tiling;
}

bool OVWatermark::isDrawable() const {
    const ov::Size image = bounds().size;
    return isVisible() && !(image.width == 0 && image.height == 0);
}

void OVWatermark::applyAlpha(ov::GraphicsContext& context) const {
    context.setAlpha(alpha());
}

void OVWatermark::applyShadow(ov::GraphicsContext& context) const {
    if (const double s = shadow(); s != 0)
        context.setShadowWithColor({0, 0}, 7.0, ov::Color::black(s));
}

bool OVWatermark::isRelativePositionComputed() const {
    return relativePositionComputed_;
}
void OVWatermark::setRelativePositionComputed(bool computed) {
    relativePositionComputed_ = computed;
}
bool OVWatermark::isRelativeSizeComputed() const {
    return relativeSizeComputed_;
}
void OVWatermark::setRelativeSizeComputed(bool computed) {
    relativeSizeComputed_ = computed;
}
