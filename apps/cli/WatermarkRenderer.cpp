#include "WatermarkRenderer.h"

#include "CliSupport.h"

#include "imaging/OVExportWarnings.h"
#include "imaging/OVImageMetadata.h"
#include "imaging/OVWatermarkedPicture.h"
#include "platform/imageio/ImageDestination.h"
#include "platform/imageio/ImageSource.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace cli {
namespace {

constexpr const char* kUndecodable = "cannot decode the image (damaged or truncated file?)";

} // namespace

WatermarkRenderer::WatermarkRenderer(OVPresetPtr preset, std::optional<double> quality,
                                     std::string outputType)
    : preset_(std::move(preset)), quality_(quality), outputType_(std::move(outputType)) {}

std::string WatermarkRenderer::saveImage(const std::filesystem::path& source,
                                         const std::string& presetID,
                                         const std::filesystem::path& destination) {
    std::vector<std::string> warnings;
    return saveImageWithWarnings(source, presetID, destination, warnings);
}

std::string WatermarkRenderer::saveImageWithWarnings(const std::filesystem::path& source,
                                                     const std::string&,
                                                     const std::filesystem::path& destination,
                                                     std::vector<std::string>& warnings) {
    const ov::ImageSourcePtr imageSource = ov::ImageSource::createWithURL(source);
    if (!imageSource)
        return "not an image inkstead can read";
    const std::string type = outputType_.empty() ? imageSource->type() : outputType_;
    const ov::ImageDestinationPtr output = ov::ImageDestination::createWithURL(destination, type);
    if (!output)
        return "cannot write images of type " + type;
    if (quality_)
        output->setLossyCompressionQuality(*quality_);

    // Rendering changes the preset (bounds, pixellate source): each image renders its own copy,
    // whose picture files go with it.
    const OVPresetPtr preset = preset_ ? preset_->copy() : nullptr;
    const PictureFilesGuard pictures(preset);
    const ov::Properties sourceProperties = imageSource->properties();
    auto picture = OVWatermarkedPictureWithPreset(imageSource, preset);
    if (!picture)
        return kUndecodable;

    const std::optional<ov::Properties> properties =
        sourceProperties.empty() ? std::nullopt
                                 : std::optional(propertiesForExport(
                                       sourceProperties, preset && preset->shouldStripMetadata()));
    output->addPicture(std::move(*picture), properties ? &*properties : nullptr);
    if (!output->finalize()) {
        if (output->failedDecoding())
            return kUndecodable;
        const auto error = output->error();
        if (error == std::errc::file_exists)
            return "a file named " + destination.filename().string() + " already exists";
        return "cannot write the image: " + errorText(error);
    }
    warnings = OVExportWarnings(sourceProperties, imageSource->type());
    return {};
}

void deletePictureFiles(const OVPreset& preset) {
    for (const auto& watermark : preset.watermarks())
        watermark->removeImage();
}

std::string imageTypeForExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const std::pair<const char*, const char*> kTypes[] = {
        {".jpg", "public.jpeg"},           {".jpeg", "public.jpeg"},
        {".jpe", "public.jpeg"},           {".png", "public.png"},
        {".tif", "public.tiff"},           {".tiff", "public.tiff"},
        {".webp", "org.webmproject.webp"}, {".heic", "public.heic"},
        {".heif", "public.heic"},          {".avif", "public.avif"},
        {".gif", "com.compuserve.gif"},
    };
    for (const auto& [ext, type] : kTypes)
        if (extension == ext)
            return type;
    return {};
}

} // namespace cli
