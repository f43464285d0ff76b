#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "inkstead/imaging/OVImageMetadata.h"
#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/imageio/ImageDestination.h"

#include "support/CameraPhoto.h"
#include "support/GeneratedPhotos.h"

#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace ov::fuzz {
namespace {

// Pictures whose header claims more pixels than this are not rendered: a render is sized from
// the header (at least 5 % of each side), which would make single inputs take seconds.
constexpr double kMaxRenderedPixels = 16e6;

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int runImageSource(const std::uint8_t* data, std::size_t size) {
    (void)ImageSource::typeOfData(data, size);
    auto source = ImageSource::createWithData(Bytes(data, data + size));
    if (!source)
        return 0;
    const auto properties = propertiesForImageSource(source, true);
    (void)propertiesForImageSource(source, false);
    (void)ov_CGImageSourceGetOrientation(source);
    (void)source->createThumbnail(24);

    const Size stored = ov_CGImageSourceGetSize(source);
    if (stored.width * stored.height > kMaxRenderedPixels)
        return 0;
    auto preset = everyKindPreset(false);
    auto image = CGImageCreateWatermarkedImageWithPreset(source, preset);
    if (image) {
        // Written in the source's format, but heavy encoders give way to a quick one.
        std::string type = source->type();
        if (type == "public.heic" || type == "public.avif")
            type = "public.jpeg";
        (void)encodeImage(*image, type, properties ? &*properties : nullptr);
    }
    dispatch::drainMainQueue();
    return 0;
}

std::vector<Bytes> imageSourceSeeds() {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("inkstead-fuzz-pictures-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::vector<Bytes> seeds;
    const auto camera = dir / "camera.jpg";
    ov::test::writeCameraPhoto(camera, 6);
    seeds.push_back(readFile(camera));
    // Small pictures of every format read; the metadata library cannot tag the last two.
    const std::pair<const char*, int> pictures[] = {
        {"small.png", 8}, {"small.tif", 5}, {"small.webp", 3}, {"small.gif", 0}, {"small.avif", 0}};
    for (const auto& [name, orientation] : pictures) {
        const auto path = dir / name;
        ov::test::writeOrientedPhoto(path, 12, 8, orientation);
        seeds.push_back(readFile(path));
    }
    std::filesystem::remove_all(dir);
    return seeds;
}

} // namespace ov::fuzz
