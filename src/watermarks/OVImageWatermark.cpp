#include "inkstead/watermarks/OVImageWatermark.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/platform/files/AtomicFile.h"
#include "inkstead/platform/files/FileContents.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/gfx/VectorPicture.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/platform/log/Log.h"
#include "inkstead/storage/OVStorage.h"
#include "inkstead/watermarks/OVWatermarkKind_p.h"

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
    if (source)
        return source->createThumbnail(kFullSize);
    // Not a bitmap the decoders know: an SVG document, or nothing usable.
    auto bytes = ov::readFileContents(path);
    if (!bytes || !ov::VectorPicture::isVectorData(*bytes))
        return nullptr;
    auto picture = OVPictureWithVectorData(std::move(*bytes));
    return picture ? picture.value() : nullptr;
}

// What the picture file holds: the SVG document of a vector rendition, else TIFF data.
std::vector<uint8_t> encodedPicture(const ov::Image& picture) {
    if (const auto& vector = picture.vectorSource())
        return vector->data();
    return ov::encodeImage(picture, kPictureType, nullptr);
}

// An enlargement above this is reported: a few percent are not visible.
constexpr double kVisibleEnlargement = 1.05;

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
    auto twin = std::make_shared<OVImageWatermark>();
    twin->storage_ = storage();
    return twin;
}

OVStorageFolder OVImageWatermark::storage() const {
    std::lock_guard lock(storageMutex_);
    return storage_;
}

void OVImageWatermark::attachToStorage(const OVStorageFolder& storage) {
    std::filesystem::path former;
    {
        std::lock_guard lock(storageMutex_);
        if (storage_ == storage)
            return;
        // Looked at, not created: a watermark made for another storage leaves none behind.
        former = storage_.readOnly().imageURLForFilename(filename());
        storage_ = storage;
    }
    // A picture already in the new storage (a preset read from it) is used as it is.
    std::error_code error;
    const std::filesystem::path target = imageURL();
    if (target.empty() || std::filesystem::exists(target, error))
        return;
    ov::ImagePtr picture;
    {
        std::lock_guard lock(pictureMutex_);
        picture = internalImage_;
    }
    ov::Result<void> stored;
    if (storage.isReadOnly()) {
        // Nothing goes into a read-only storage: the picture stays in memory.
        if (!picture && !former.empty())
            setInternal_image(decodeFile(former));
    } else if (picture) {
        stored = writePictureFile(picture);
    } else if (!former.empty()) {
        // The file as it is: no decode and encode for a move between storages.
        if (auto bytes = ov::readFileContents(former))
            stored = ov::writeFileAtomically(target, *bytes, ov::FileWriteMode::CreateExclusive);
    }
    if (!stored && stored.error().code != std::errc::file_exists)
        ov::log("Image watermark: " + stored.error().message);
}

std::string OVImageWatermark::filename() const {
    return uuid().uuidString() + ".png";
}

std::filesystem::path OVImageWatermark::imageURL() const {
    return storage().imageURLForFilename(filename());
}

ov::ImagePtr OVImageWatermark::image() const {
    return decodeFile(imageURL());
}

ov::ImagePtr OVImageWatermark::cachedPicture() const {
    std::lock_guard lock(pictureMutex_);
    if (!internalImage_)
        internalImage_ = decodeFile(imageURL());
    return internalImage_;
}

ov::ImagePtr OVImageWatermark::internal_image() {
    return cachedPicture();
}

void OVImageWatermark::setInternal_image(ov::ImagePtr image) {
    std::lock_guard lock(pictureMutex_);
    internalImage_ = std::move(image);
}

ov::Result<void> OVImageWatermark::writePictureFile(const ov::ImagePtr& picture) const {
    if (storage().isReadOnly()) {
        std::lock_guard lock(pictureMutex_);
        internalImage_ = picture;
        return {};
    }
    const std::vector<uint8_t> encoded = encodedPicture(*picture);
    if (encoded.empty())
        return ov::makeError(std::errc::invalid_argument,
                             "The picture of an image mark could not be encoded");
    return ov::writeFileAtomically(imageURL(), encoded, ov::FileWriteMode::ReplaceExisting);
}

ov::Result<void> OVImageWatermark::setImageWithContentsOfFile(const std::filesystem::path& file) {
    auto picture = OVPictureWithContentsOfFile(file);
    if (!picture)
        return picture.error();
    return setImage(picture.value());
}

ov::Result<void> OVImageWatermark::setImage(const ov::ImagePtr& picture) {
    imageWriteError_.clear();
    if (!picture)
        return ov::makeError(std::errc::invalid_argument, "An image mark needs a picture");
    const std::vector<uint8_t> encoded = encodedPicture(*picture);
    if (encoded.empty())
        return ov::makeError(std::errc::invalid_argument,
                             "The picture of an image mark could not be encoded");
    const bool inMemory = storage().isReadOnly();
    ov::Result<void> written =
        inMemory ? ov::Result<void>()
                 : ov::writeFileAtomically(imageURL(), encoded, ov::FileWriteMode::ReplaceExisting);
    if (!written)
        imageWriteError_ = written.error().code;

    // Unless asked otherwise, a bitmap is never made larger than its pixels.
    const ov::Size pixelSize = picture->vectorSource()
                                   ? picture->vectorSource()->size()
                                   : ov::Size{double(picture->width()), double(picture->height())};
    setHasMaxSize(!picture->vectorSource() && !allowsEnlargement());
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
    setInternal_image(inMemory ? picture : nullptr);
    return written;
}

void OVImageWatermark::setAllowsEnlargement(bool allows) {
    allowsEnlargement_ = allows;
    if (allows) {
        setHasMaxSize(false);
        return;
    }
    // Back to the cap (never for a vector picture): a watermark enlarged meanwhile shrinks to
    // the picture's pixels.
    const ov::ImagePtr picture = cachedPicture();
    if (picture && !picture->vectorSource()) {
        setHasMaxSize(true);
        setMaxSize({double(picture->width()), double(picture->height())});
        const ov::Size current = size();
        setSize({0, 0});
        setSize(current);
    }
}

std::optional<std::string> OVImageWatermark::renderWarning() const {
    if (!(lastEnlargement_ > kVisibleEnlargement) || !std::isfinite(lastEnlargement_))
        return std::nullopt;
    return "the picture of " + (hasTitle() ? "\"" + title() + "\"" : std::string("a watermark")) +
           " is drawn at " + std::to_string(static_cast<int>(std::lround(lastEnlargement_ * 100))) +
           " % of its pixel size and looks soft";
}

void OVImageWatermark::removeImage() {
    std::error_code ignored;
    if (!storage().isReadOnly())
        std::filesystem::remove(imageURL(), ignored);
    setInternal_image(nullptr);
}

void OVImageWatermark::detachFromStorage() {
    const ov::ImagePtr picture = cachedPicture();
    std::error_code ignored;
    if (!storage().isReadOnly())
        std::filesystem::remove(imageURL(), ignored);
    setInternal_image(picture);
}

std::shared_ptr<OVWatermark> OVImageWatermark::copy() const {
    auto base = OVWatermark::copy();
    auto* copy = static_cast<OVImageWatermark*>(base.get());
    copy->setInternal_image(cachedPicture());
    copy->allowsEnlargement_ = allowsEnlargement();
    return base;
}

std::shared_ptr<OVWatermark> OVImageWatermark::duplicate() const {
    auto base = OVWatermark::duplicate();
    const auto* twin = static_cast<const OVImageWatermark*>(base.get());
    const ov::ImagePtr picture = cachedPicture();
    if (picture) {
        if (auto written = twin->writePictureFile(picture); !written)
            ov::log("Duplicated image watermark: " + written.error().message);
    }
    return base;
}

void OVImageWatermark::renderInContext(ov::GraphicsContext& context) {
    if (!isVisible())
        return;
    const ov::ImagePtr picture = internal_image();
    if (!picture)
        return;
    {
        const OVSavedGraphicsState saved(context);
        applyShadow(context);
        applyAlpha(context);
        context.concatCTM(rotationTransform());
        const ov::Rect content = drawRect();
        if (const auto& vector = picture->vectorSource()) {
            vector->draw(context, content);
            lastEnlargement_ = 1;
        } else {
            context.drawImage(content, *picture);
            // Device pixels per picture pixel, across.
            const ov::AffineTransform device = context.getCTM();
            const double scale = std::sqrt(std::fabs(device.a * device.d - device.b * device.c));
            lastEnlargement_ = scale * content.size.width / picture->width();
        }
    }
    OVWatermark::renderInContext(context);
    if (isEditable())
        drawHandlesInContext(context);
}

namespace {

OVWatermarkProperty pictureProperty() {
    OVWatermarkProperty property;
    property.key = "picture";
    property.option = "image";
    property.label = "Picture";
    property.type = OVPropertyType::Picture;
    property.defaultValue = ov::ImagePtr();
    property.get = [](const OVWatermark& w) {
        return OVPropertyValue(static_cast<const OVImageWatermark&>(w).image());
    };
    // A null picture changes nothing.
    property.set = [](OVWatermark& w, const OVPropertyValue& v) {
        if (const auto& picture = std::get<ov::ImagePtr>(v))
            (void)static_cast<OVImageWatermark&>(w).setImage(picture); // storageError() keeps why
    };
    return property;
}

} // namespace

// The kind archives only the base record; its picture lives in its own file.
const OVWatermarkKind& OVImageWatermark::kind() {
    using namespace ov::detail;
    static const OVWatermarkKind kind{
        .name = "image",
        .type = OVWatermarkTypeImage,
        .className = "OVImageWatermark",
        .title = "Image",
        .make = [] { return std::static_pointer_cast<OVWatermark>(imageWatermark()); },
        .sharedSettings = OVSharedSettingOpacity | OVSharedSettingShadow | OVSharedSettingRotation |
                          OVSharedSettingAnchorPlacement | OVSharedSettingTiling,
        .properties = joined(
            {pictureProperty(),
             additional(boolProperty<OVImageWatermark>(
                 "allowEnlargement", "enlarge", "Enlarge beyond the picture's pixels", false,
                 &OVImageWatermark::allowsEnlargement, &OVImageWatermark::setAllowsEnlargement))},
            tilingProperties()),
        .registerArchivedClass = archivedClass<OVImageWatermark>("OVImageWatermark"),
        .classType = &typeid(OVImageWatermark),
    };
    return kind;
}
