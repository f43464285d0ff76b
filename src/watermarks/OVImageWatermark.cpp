#include "watermarks/OVImageWatermark.h"

#include "geometry/OVGeometry.h"
#include "platform/files/AtomicFile.h"
#include "platform/gfx/GraphicsContext.h"
#include "platform/imageio/ImageDestination.h"
#include "platform/imageio/ImageSource.h"
#include "storage/OVStorage.h"

#include <cmath>
#include <system_error>

namespace {

// Container the picture is fitted into while the watermark is not placed on an image.
constexpr ov::Size kDefaultContainerSize{1024, 768};
// Picture files hold TIFF data: lossless, and keeps the alpha channel.
constexpr const char* kPictureType = "public.tiff";
// Decodes are asked for at most this size along the longer side, i.e. never scaled down.
constexpr double kFullSize = 1e7;

ov::ImagePtr decodeFile(const std::filesystem::path& path) {
    auto source = ov::ImageSource::createWithURL(path);
    return source ? source->createThumbnail(kFullSize) : nullptr;
}

} // namespace

std::shared_ptr<OVImageWatermark> OVImageWatermark::imageWatermark() {
    auto watermark = std::make_shared<OVImageWatermark>();
    watermark->initWatermarkWithOptions({
        {std::string(kOVWatermarkTypeKey), std::int64_t{OVWatermarkTypeImage}},
        {std::string(kOVWatermarkTitleKey), std::string("Image")},
        {std::string(kOVWatermarkSizeKey), ov::Size{300, 300}},
        {std::string(kOVWatermarkProportionalKey), true},
    });
    watermark->setVisible(true);
    return watermark;
}

std::shared_ptr<OVWatermark> OVImageWatermark::newInstance() const {
    return std::make_shared<OVImageWatermark>();
}

std::string OVImageWatermark::filename() const {
    return uuid().uuidString() + ".png";
}

std::filesystem::path OVImageWatermark::imageURL() const {
    return imageCacheDestinationURLForFilename(filename());
}

ov::ImagePtr OVImageWatermark::image() const {
    return decodeFile(imageURL());
}

ov::ImagePtr OVImageWatermark::internal_image() {
    if (!internalImage_)
        internalImage_ = decodeFile(imageURL());
    return internalImage_;
}

bool OVImageWatermark::setImageWithContentsOfFile(const std::filesystem::path& file) {
    auto picture = decodeFile(file);
    return picture && setImage(picture);
}

bool OVImageWatermark::setImage(const ov::ImagePtr& picture) {
    imageWriteError_.clear();
    if (!picture)
        return false;
    const std::vector<uint8_t> encoded = ov::encodeImage(*picture, kPictureType, nullptr);
    if (encoded.empty())
        return false;
    const std::error_code written =
        ov::writeFileAtomically(imageURL(), encoded, ov::FileWriteMode::ReplaceExisting);
    imageWriteError_ = written;

    // The watermark can never be made larger than the picture's pixels.
    const ov::Size pixelSize{double(picture->width()), double(picture->height())};
    setHasMaxSize(true);
    setMaxSize(pixelSize);

    ov::Size container = bounds().size;
    if (container == ov::SizeZero)
        container = kDefaultContainerSize;
    setSize(CGSizeLargerThanSize(container, pixelSize)
                ? OVMakeSizeWithAspectRatioInsideSize(pixelSize, container)
                : pixelSize);
    const ov::Point o = origin();
    if (!std::isfinite(o.x) || !std::isfinite(o.y))
        setOrigin(ov::PointZero);
    calculateRelativePosition();
    setInternal_image(nullptr);
    return !written;
}

void OVImageWatermark::removeImage() {
    std::error_code ignored;
    std::filesystem::remove(imageURL(), ignored);
    setInternal_image(nullptr);
}

std::shared_ptr<OVWatermark> OVImageWatermark::copy() const {
    auto base = OVWatermark::copy();
    auto* copy = static_cast<OVImageWatermark*>(base.get());
    const ov::Size relativeSize = this->relativeSize();
    const ov::Point relativePosition = this->relativePosition();
    const OVRelativeQuadrant quadrant = relativeQuadrant();
    // Still under the source's uuid, so this reads the source's file.
    const ov::ImagePtr picture = copy->image();
    copy->setUuid(ov::UUID::random());
    copy->setImage(picture);
    copy->setRelativeSize(relativeSize);
    copy->setRelativePosition(relativePosition);
    copy->setRelativeQuadrant(quadrant);
    return base;
}

void OVImageWatermark::renderInContext(ov::GraphicsContext& context) {
    if (!isVisible())
        return;
    const ov::ImagePtr picture = internal_image();
    if (!picture)
        return;
    CGContextSaveStateWithCompletion(context, [&] {
        if (const double s = shadow(); s != 0)
            context.setShadowWithColor({0, 0}, 7.0, ov::Color::black(s));
        context.setAlpha(alpha());
        context.concatCTM(rotationTransform());
        context.drawImage(drawRect(), *picture);
    });
    OVWatermark::renderInContext(context);
    if (isEditable())
        drawHandlesInContext(context);
}

// The kind archives only the base record; its picture lives in its own file.
[[maybe_unused]] static const bool registeredImage =
    OVKeyedClassRegistry::add<OVImageWatermark>("OVImageWatermark", {"OVWatermark"});
