#include "inkstead/export/OVPipelineRenderer.h"

#include "inkstead/imaging/OVExportWarnings.h"
#include "inkstead/imaging/OVImageMetadata.h"
#include "inkstead/imaging/OVImageTextVariables.h"
#include "inkstead/imaging/OVWatermarkedPicture.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/presets/OVPresetManager.h"

#include <algorithm>
#include <cctype>

OVPipelineRenderer::OVPipelineRenderer(PresetLookup lookup, std::function<void()> afterBatch)
    : lookup_(std::move(lookup)), afterBatch_(std::move(afterBatch)) {}

std::shared_ptr<OVPipelineRenderer>
OVPipelineRenderer::rendererWithPresetManager(std::weak_ptr<OVPresetManager> presetManager) {
    auto lookup = [presetManager](const std::string& presetID) -> std::shared_ptr<OVPreset> {
        const auto manager = presetManager.lock();
        const auto uuid = ov::UUID::fromString(presetID);
        return manager && uuid ? manager->presetWithID(*uuid) : nullptr;
    };
    auto sweep = [presetManager] {
        if (const auto manager = presetManager.lock())
            manager->cleanupOrphanedPresetAssets();
    };
    auto renderer = std::make_shared<OVPipelineRenderer>(std::move(lookup), std::move(sweep));
    renderer->holdSweeps_ = [presetManager]() -> std::shared_ptr<void> {
        const auto manager = presetManager.lock();
        return manager ? manager->holdSweeps() : nullptr;
    };
    return renderer;
}

namespace {

constexpr const char* kUndecodable = "cannot decode the image (damaged or truncated file?)";

} // namespace

std::shared_ptr<OVPipelineRenderer>
OVPipelineRenderer::rendererWithPreset(std::shared_ptr<OVPreset> preset) {
    return std::make_shared<OVPipelineRenderer>(
        [preset = std::move(preset)](const std::string&) { return preset; });
}

std::string OVPipelineRenderer::saveImage(const std::filesystem::path& source,
                                          const std::string& presetID,
                                          const std::filesystem::path& destination) {
    std::vector<std::string> warnings;
    return saveImageWithWarnings(source, presetID, destination, warnings);
}

std::string OVPipelineRenderer::saveImageWithWarnings(const std::filesystem::path& source,
                                                      const std::string& presetID,
                                                      const std::filesystem::path& destination,
                                                      std::vector<std::string>& warnings) {
    return saveNumberedImage(source, presetID, destination, warnings, 1);
}

std::string OVPipelineRenderer::saveNumberedImage(const std::filesystem::path& source,
                                                  const std::string& presetID,
                                                  const std::filesystem::path& destination,
                                                  std::vector<std::string>& warnings,
                                                  std::int64_t counter) {
    const ov::ImageSourcePtr imageSource = ov::ImageSource::createWithURL(source);
    if (!imageSource)
        return "not an image Inkstead can read";
    // Rendering changes the preset (bounds, export mode, pixellate source): every image renders
    // its own copy.
    const std::shared_ptr<OVPreset> shared = lookup_ ? lookup_(presetID) : nullptr;
    const std::shared_ptr<OVPreset> preset = shared ? shared->copy() : nullptr;

    std::string type = outputTypeFor(preset.get());
    if (type.empty())
        type = imageSource->type();
    const ov::ImageDestinationPtr output = ov::ImageDestination::createWithURL(destination, type);
    if (!output)
        return ov::ImageDestination::isKnownType(type)
                   ? "cannot write " + ov::ImageDestination::filenameExtensionForType(type) +
                         " images: this build of the image library has no encoder for them"
                   : "cannot write images of type " + type;
    if (quality_)
        output->setLossyCompressionQuality(*quality_);
    else if (preset && preset->outputQuality() > 0)
        output->setLossyCompressionQuality(preset->outputQuality());
    const ov::Properties sourceProperties = imageSource->properties();
    if (preset)
        OVPresetFillTextVariables(*preset, imageSource,
                                  OVWatermarkedPictureSize(sourceProperties, preset.get()),
                                  counter);
    auto picture = OVWatermarkedPictureWithPreset(imageSource, preset);
    if (!picture)
        return kUndecodable;

    ov::Properties properties;
    if (preset)
        properties = propertiesForExport(sourceProperties, *preset);
    else if (!sourceProperties.empty())
        properties = propertiesForExport(sourceProperties, false);
    // Every output says it is one, so that a later run over the same folder passes it by.
    OVAddOutputMark(properties);
    output->addPicture(std::move(*picture), &properties);
    if (const auto written = output->finalize(); !written) {
        if (output->failedDecoding())
            return kUndecodable;
        const auto error = written.error().code;
        if (error == std::errc::file_exists)
            return "a file named " + destination.filename().string() + " already exists";
        return "cannot write the image: " + error.message();
    }
    warnings = OVExportWarnings(sourceProperties, imageSource->type(), type);
    if (preset)
        for (const auto& watermark : preset->watermarks())
            if (auto warning = watermark->renderWarning())
                warnings.push_back(std::move(*warning));
    return {};
}

std::string OVPipelineRenderer::outputTypeFor(const OVPreset* preset) const {
    if (!outputType_.empty())
        return outputType_;
    return preset ? std::string(OVOutputFormatType(preset->outputFormat())) : std::string();
}

std::string OVPipelineRenderer::outputType(const std::string& presetID) {
    if (!outputType_.empty())
        return outputType_;
    const auto preset = lookup_ ? lookup_(presetID) : nullptr;
    return outputTypeFor(preset.get());
}

void OVPipelineRenderer::batchWillStart() {
    if (!holdSweeps_)
        return;
    auto hold = holdSweeps_();
    std::lock_guard lock(mutex_);
    sweepHolds_.push_back(std::move(hold));
}

void OVPipelineRenderer::batchDidFinish() {
    // The sweep is asked for first, so that it is pending when the last hold goes.
    if (afterBatch_)
        afterBatch_();
    std::shared_ptr<void> hold;
    std::lock_guard lock(mutex_);
    if (!sweepHolds_.empty()) {
        hold = std::move(sweepHolds_.back());
        sweepHolds_.pop_back();
    }
}

std::string OVImageTypeForExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const std::pair<const char*, const char*> kTypes[] = {
        {".jpg", "public.jpeg"},           {".jpeg", "public.jpeg"},
        {".jpe", "public.jpeg"},           {".png", "public.png"},
        {".tif", "public.tiff"},           {".tiff", "public.tiff"},
        {".webp", "org.webmproject.webp"}, {".heic", "public.heic"},
        {".heif", "public.heic"},          {".avif", "public.avif"},
        {".gif", "com.compuserve.gif"},    {".jxl", "public.jxl"},
    };
    for (const auto& [ext, type] : kTypes)
        if (extension == ext)
            return type;
    return {};
}
