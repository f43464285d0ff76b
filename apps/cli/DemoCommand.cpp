// `inkstead demo [DIR]`: generated photos, a preset with one watermark of every kind, and an
// export of the photos with it, all inside DIR.

#include "CliSupport.h"
#include "DemoPreview.h"
#include "ExportOptions.h"
#include "ExportRun.h"
#include "MarkOptions.h"
#include "PresetStore.h"

#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/imaging/OVSamplePhotos.h"
#include "inkstead/platform/dispatch/Dispatch.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fs = std::filesystem;

namespace cli {
namespace {

constexpr const char* kPresetName = "Demo";

constexpr const char* kExamples = R"(
Examples:
  inkstead demo                 # into ./inkstead-demo
  inkstead demo /tmp/try-it

The demo never touches your own presets: it keeps its preset in DIR/home. Running it again
adds new outputs beside the earlier ones; nothing is overwritten.)";

struct DemoMark {
    const char* kind;
    MarkOptions options;
    std::string text{};
};

// One watermark of every kind, placed relative to the photo so the same preset fits the
// landscapes and the portrait.
std::vector<DemoMark> demoMarks(const fs::path& logo) {
    return {
        // The wooded shore, blurred into blocks.
        {"pixellate", {.rect = "3%,66%,28%,28%", .intensity = 24}},
        {"strikethrough", {.color = "#FFFFFF66", .stroke = 4, .dash = 40}},
        // A ring around the sun (shares of the 3:2 landscapes, where a share of the height is
        // 1.5 times fewer pixels than the same share of the width).
        {"shape",
         {.color = "#FFFFFFE0", .stroke = 6, .shape = "circle", .rect = "61%,16.5%,14%,21%"}},
        {"arrow",
         {.shadow = "0.5", .color = "#FFFFFF", .stroke = 8, .from = "42%,6%", .to = "59%,17%"}},
        {"image", {.anchor = "top-left", .width = "12%", .opacity = "0.9", .image = logo.string()}},
        {"text",
         {.width = "32%", .shadow = "0.6", .color = "#FFFFFF", .font = "Helvetica"},
         "© 2026 Inkstead demo"},
    };
}

// Replaces the demo preset of an earlier run, so the demo always shows what this version makes.
OVPresetPtr storeDemoPreset(PresetStore& store, const fs::path& logo) {
    auto& manager = store.manager();
    for (std::size_t i = manager.count(); i-- > 0;) {
        const auto preset = manager.presetAtIndex(static_cast<std::ptrdiff_t>(i));
        if (preset && preset->name() == kPresetName) {
            manager.removeObjectFromPresetsAtIndex(i);
            for (const auto& watermark : preset->watermarks())
                watermark->removeImage();
        }
    }
    auto preset = std::make_shared<OVPreset>(kPresetName);
    for (const auto& mark : demoMarks(logo))
        preset->addWatermark(makeMark(mark.kind, mark.options, mark.text, manager.storage()));
    preset->enableEditingForWatermark(nullptr);
    manager.insertObject(preset, 0);
    store.save();
    return preset;
}

void run(const fs::path& directory, const CommonOptions& common, int& exitCode) {
    std::error_code ec;
    const fs::path root = fs::absolute(directory, ec);
    if (ec)
        throw usageError("cannot use the folder " + directory.string() + ": " + ec.message());
    const fs::path home = root / "home";
    const fs::path logo = root / "logo.png";

    const auto written = OVWriteSamplePhotos(root / "photos");
    if (!written)
        throw usageError(written.error().message,
                         "give the demo a folder you can write to: inkstead demo DIR");
    const auto& photos = written.value();
    if (const auto drawn = OVWriteSampleLogo(logo); !drawn)
        throw CliError(kExitSomeFailed, drawn.error().message);

    // The demo's own storage, for the preset and for the pictures its image marks keep.
    fs::create_directories(home, ec);
    CommonOptions demoCommon;
    demoCommon.home = home;
    demoCommon.quiet = common.quiet;
    PresetStore store(demoCommon);
    const OVPresetPtr preset = storeDemoPreset(store, logo);

    ExportJob job;
    for (const auto& photo : photos)
        job.inputs.push_back(photo.path);
    job.outputFolder = root / "out";
    job.preset = makeWorkingPreset(*preset, OutputOptions{});
    job.pattern = OVFilenamePattern::pattern();
    job.pattern->setTokens({"filename", "-", "watermarked", "-", "increment"});
    job.quiet = common.quiet;
    const ExportResult result = runExport(job);
    exitCode = result.exitCode;
    const fs::path preview = root / "editor-preview.png";
    const bool interrupted =
        result.exitCode == kExitInterrupted || result.exitCode == kExitTerminated;
    const bool previewWritten =
        !interrupted && writeEditorPreview(*preset, photos.front().path, preview);
    if (common.quiet || interrupted)
        return;

    std::printf("\nThe demo photos (generated, with camera EXIF):\n  %s\n",
                (root / "photos").c_str());
    std::printf("  ridge-portrait.jpg is stored sideways with orientation 6; lake-at-dawn.jpg "
                "carries a GPS position.\n");
    std::printf("\nWatermarked with the preset \"%s\" (text, image, shape, arrow, strikethrough, "
                "pixellate):\n",
                kPresetName);
    for (const auto& output : result.outputs)
        std::printf("  %s\n", output.c_str());
    if (previewWritten)
        std::printf("\nThe preset as the editor shows it, with the ring selected:\n  %s\n",
                    preview.c_str());
    std::printf("\nTry next:\n");
    std::printf("  inkstead presets show %s --home %s\n", kPresetName, home.c_str());
    std::printf("  inkstead export %s -o %s --home %s --text \"© 2026 Me\"\n",
                (root / "photos").c_str(), (root / "out").c_str(), home.c_str());
}

} // namespace

void registerDemoCommand(CLI::App& app, CommonOptions& common, int& exitCode) {
    auto directory = std::make_shared<fs::path>("inkstead-demo");
    auto* command = app.add_subcommand(
        "demo", "Generate photos, a preset with every kind of watermark, and export them");
    command->footer(kExamples);
    command->add_option("DIR", *directory, "Folder of the demo (default: inkstead-demo)");
    command->add_flag("-q,--quiet", common.quiet, "Print nothing but errors");
    command->callback([directory, &common, &exitCode] { run(*directory, common, exitCode); });
}

} // namespace cli
