#include "DemoPreview.h"

#include "inkstead/platform/files/AtomicFile.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/ImageSource.h"

namespace cli {

bool writeEditorPreview(const OVPreset& preset, const std::filesystem::path& photo,
                        const std::filesystem::path& file) {
    constexpr double kPreviewSize = 1200;
    const auto source = ov::ImageSource::createWithURL(photo);
    const auto picture = source ? source->createThumbnail(kPreviewSize) : nullptr;
    if (!picture)
        return false;
    auto context = ov::GraphicsContext::createBitmap(picture->width(), picture->height());
    if (!context)
        return false;
    const ov::Rect canvas{0, 0, double(picture->width()), double(picture->height())};
    context->drawImage(canvas, *picture);

    // A copy, so the stored preset keeps its selection.
    const auto editing = preset.copy();
    editing->setPixellateImageSource(context->makeImage());
    editing->setWatermarkBounds(canvas);
    for (const auto& watermark : editing->watermarks()) {
        if (watermark->type() == OVWatermarkTypeShape) {
            editing->enableEditingForWatermark(watermark);
            break;
        }
    }
    editing->renderInContext(*context);

    const auto image = context->takeImage();
    const auto bytes =
        image ? ov::encodeImage(*image, "public.png", nullptr) : std::vector<uint8_t>{};
    return !bytes.empty() && ov::writeFileAtomically(file, std::span<const std::uint8_t>(bytes),
                                                     ov::FileWriteMode::ReplaceExisting)
                                 .ok();
}

} // namespace cli
