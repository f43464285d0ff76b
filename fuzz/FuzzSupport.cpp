#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <vips/vips8>

#include <cstdlib>

namespace ov::fuzz {

void initialize(const std::filesystem::path& home) {
    std::filesystem::create_directories(home);
    setenv("INKSTEAD_HOME", home.c_str(), 1);
    (void)OVRegisterWatermarkKinds();
    // Every decode is of untrusted bytes: no operation cache, no worker threads of our own.
    VIPS_INIT("inkstead-fuzz");
    vips_cache_set_max(0);
    vips_concurrency_set(1);
}

std::shared_ptr<OVPreset> everyKindPreset(bool withPicture) {
    auto preset = std::make_shared<OVPreset>();
    preset->setName("Every kind");
    preset->setShouldResize(true);
    preset->setResizeConstraint(OVResizeConstraintLongestSide);
    preset->setResizeValue(48);

    auto text = OVTextWatermark::textWatermark();
    text->setStringValue("© 2026 Fuzz ‫עברית‬");
    text->setFont(ov::Font::fontWithName("DejaVu Sans", 14));
    text->setFontColor(ov::Color{0.1, 0.2, 0.3, 0.5});
    text->setRotation(-12);
    text->setShadow(0.4);
    text->setOrigin({4, 6});

    auto shape = OVShapeWatermark::circleShapeWatermark();
    shape->setOrigin({2, 3});
    shape->setSize({20, 12});
    shape->setLineDash(3);
    shape->setFillColor(ov::Color{0, 0, 1, 0.25});

    auto strike = OVStrikethroughWatermark::strikethroughWatermark();
    strike->setLineDash(2);
    strike->setAlpha(0.7);

    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setBeginPoint({5, 40});
    arrow->setEndPoint({30, 8});
    arrow->setStrokeThickness(3);

    auto pixellate = OVPixellateWatermark::pixellateWatermark();
    pixellate->setOrigin({10, 10});
    pixellate->setSize({16, 16});
    pixellate->setIntensity(0.5);

    auto image = OVImageWatermark::imageWatermark();
    if (withPicture) {
        auto logo = ov::GraphicsContext::createBitmap(6, 4);
        logo->setFillColor({1, 0.5, 0, 1});
        logo->fillRect({0, 0, 6, 4});
        (void)image->setImage(logo->makeImage());
    }
    image->setOrigin({1, 1});
    image->setRotation(30);

    preset->setWatermarks({text, shape, strike, arrow, pixellate, image});
    return preset;
}

void renderSmall(OVPreset& preset, int width, int height) {
    auto context = ov::GraphicsContext::createBitmap(width, height);
    if (!context)
        return;
    preset.setPixellateImageSource(context->makeImage());
    preset.setEnableExportMode();
    preset.setWatermarkBounds({0, 0, double(width), double(height)});
    preset.renderInContext(*context);
    ov::dispatch::drainMainQueue();
}

const std::vector<Target>& targets() {
    static const std::vector<Target> all{
        {"archive", runArchive, archiveSeeds},
        {"preset_json", runPresetJson, presetJsonSeeds},
        {"filename_pattern", runFilenamePattern, filenamePatternSeeds},
        {"image_source", runImageSource, imageSourceSeeds},
    };
    return all;
}

const Target* findTarget(std::string_view name) {
    for (const Target& target : targets())
        if (target.name == name)
            return &target;
    return nullptr;
}

} // namespace ov::fuzz
