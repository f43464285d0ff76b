#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/export/OVSaveManager.h"

#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/presets/OVPresetManager.h"
#include "inkstead/storage/OVStorage.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "support/CameraPhoto.h"
#include "support/SaveSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace ov::test;

namespace {

OVSaveReport exportAll(const std::shared_ptr<OVSaveImageList>& list,
                       const std::shared_ptr<OVSaveImageRenderer>& renderer, const fs::path& out) {
    auto manager = std::make_shared<OVSaveManager>(out);
    manager->setModel(list);
    manager->setRenderer(renderer);
    return runBatch(*manager, indexesBelow(list->count()));
}

double meanDifference(const fs::path& a, const fs::path& b) {
    auto x = vips::VImage::new_from_file(a.c_str()).cast(VIPS_FORMAT_FLOAT);
    auto y = vips::VImage::new_from_file(b.c_str()).cast(VIPS_FORMAT_FLOAT);
    return (x - y).abs().avg();
}

} // namespace

TEST(OVPipelineExport, PhotosComeOutWatermarkedInTheirOwnType) {
    TempDir dir;
    ScopedEnvironment home("INKSTEAD_HOME", dir / "home");
    fs::create_directories(dir / "out");
    fs::create_directories(dir / "plain");
    writeOrientedPhoto(dir / "drawing.png", 300, 200, 0, "");
    writeFile(dir / "broken.jpg", "\xff\xd8\xff\xe0 not really a picture");

    auto presetManager = std::make_shared<OVPresetManager>();
    auto preset = std::make_shared<OVPreset>("Marked");
    preset->addWatermark(OVStrikethroughWatermark::strikethroughWatermark());
    preset->addWatermark(OVShapeWatermark::squareShapeWatermark());
    presetManager->insertObject(preset, 0);
    const std::string id = preset->uuid().uuidString();

    writeOrientedPhoto(dir / "photo.jpg", 360, 240, 1, "");
    auto list = std::make_shared<PathImageList>(
        std::vector<fs::path>{dir / "photo.jpg", dir / "drawing.png", dir / "broken.jpg"},
        std::vector<std::string>(3, id));
    const OVSaveReport report =
        exportAll(list, OVPipelineRenderer::rendererWithPresetManager(presetManager), dir / "out");

    ASSERT_EQ(report.outputs.size(), 2u);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].source, dir / "broken.jpg");
    EXPECT_FALSE(fs::exists(dir / "out" / "broken.jpg"));

    for (const OVSaveOutput& output : report.outputs) {
        EXPECT_EQ(output.output.parent_path(), dir / "out");
        EXPECT_EQ(output.output.filename(), output.source.filename());
        EXPECT_EQ(ov::ImageSource::typeOfFile(output.output),
                  ov::ImageSource::typeOfFile(output.source));
    }
    // The same images under an identifier that matches no preset are written without
    // watermarks: the watermarked outputs must differ from them.
    auto plainList =
        std::make_shared<PathImageList>(list->files, std::vector<std::string>(3, "no such preset"));
    const OVSaveReport plain = exportAll(
        plainList, OVPipelineRenderer::rendererWithPresetManager(presetManager), dir / "plain");
    ASSERT_EQ(plain.outputs.size(), 2u);
    for (const char* name : {"photo.jpg", "drawing.png"})
        EXPECT_GT(meanDifference(dir / "out" / name, dir / "plain" / name), 0.1) << name;
    presetManager->waitForPendingSaves();
}

// The whole road for a camera photograph stored turned: the file is upright, says so (no
// orientation), keeps the camera data, carries no preview of the unwatermarked source, and
// drops the location only when the preset says so.
TEST(OVPipelineExport, CameraDataIsKeptAndLocationDroppedOnlyWhenThePresetSaysSo) {
    TempDir dir;
    writeCameraPhoto(dir / "trip.jpg", 6); // stored 200 × 120
    for (const bool strip : {false, true}) {
        auto preset = std::make_shared<OVPreset>("Private");
        preset->setShouldStripMetadata(strip);
        auto renderer =
            std::make_shared<OVPipelineRenderer>([preset](const std::string&) { return preset; });
        auto list = std::make_shared<PathImageList>(std::vector<fs::path>{dir / "trip.jpg"});
        const fs::path out = dir / (strip ? "stripped" : "kept");
        fs::create_directories(out);
        const OVSaveReport report = exportAll(list, renderer, out);
        ASSERT_EQ(report.outputs.size(), 1u);
        const ov::Properties properties =
            ov::ImageSource::createWithURL(report.outputs[0].output)->properties();
        EXPECT_EQ(properties.dictionary(ov::kOVPropertyGPSDictionary) != nullptr, !strip);
        EXPECT_EQ(properties.integer(ov::kOVPropertyPixelWidth), 120);
        EXPECT_FALSE(properties.contains(ov::kOVPropertyOrientation));
        EXPECT_EQ(dict(properties, ov::kOVPropertyTIFFDictionary).string("Make"),
                  "Inkstead Optics");
        EXPECT_EQ(dict(properties, ov::kOVPropertyTIFFDictionary).number("XResolution"), 72);
        EXPECT_EQ(dict(properties, ov::kOVPropertyExifDictionary).bytes("MakerNote"), kMakerNote);
        EXPECT_GT(
            properties.bytes(ov::kOVPropertyICCProfile).value_or(ov::Properties::Bytes{}).size(),
            100u);
        auto written = Exiv2::ImageFactory::open(report.outputs[0].output.string());
        written->readMetadata();
        EXPECT_EQ(Exiv2::ExifThumbC(written->exifData()).copy().size_, 0u);
    }
}

TEST(OVPipelineExport, DragOutRendersWithThePresetItself) {
    TempDir dir;
    writeOrientedPhoto(dir / "a.jpg", 400, 300, 6, "");
    const auto source = ov::ImageSource::createWithURL(dir / "a.jpg");
    auto preset = std::make_shared<OVPreset>("Drag");
    const ov::ImagePtr image = OVSaveManager::watermarkCGImageSource(source, preset);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 400);
    EXPECT_EQ(image->height(), 300);
    EXPECT_FALSE(OVSaveManager::watermarkCGImageSource(nullptr, preset));
}

TEST(OVPipelineExport, PictureSweepWaitsUntilNoBatchIsRunning) {
    TempDir home;
    const ScopedEnvironment storage("INKSTEAD_HOME", home.path());
    auto presets = std::make_shared<OVPresetManager>(std::nullopt);
    presets->waitForPendingSaves();
    const fs::path orphan = imageCacheDestinationURLForFilename("orphan.png");
    writeFile(orphan, "png");

    // Two batches overlap; the first to end asks for the sweep.
    const auto renderer = OVPipelineRenderer::rendererWithPresetManager(presets);
    renderer->batchWillStart();
    renderer->batchWillStart();
    renderer->batchDidFinish();
    ov::dispatch::runMainLoopFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(fs::exists(orphan)) << "swept while a batch still renders";
    renderer->batchDidFinish();
    ov::dispatch::runMainLoopUntil([&] { return !fs::exists(orphan); }, std::chrono::seconds(5));
    EXPECT_FALSE(fs::exists(orphan));
}
