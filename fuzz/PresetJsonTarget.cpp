#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/presets/OVPresetJson.h"

#include <string_view>

namespace ov::fuzz {

int runPresetJson(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Bad documents are refused with an error naming the field; any exception is a fault.
    auto imported = OVPresetFromJson(text);
    if (imported) {
        // What was accepted must write back and render.
        (void)OVPresetJsonString(*imported->preset);
        renderSmall(*imported->preset, 32, 24);
    }
    dispatch::drainMainQueue();
    return 0;
}

std::vector<Bytes> presetJsonSeeds() {
    std::vector<Bytes> seeds;
    for (bool withPicture : {true, false}) {
        const std::string text = OVPresetJsonString(*everyKindPreset(withPicture));
        seeds.emplace_back(text.begin(), text.end());
    }
    const std::string empty = OVPresetJsonString(*OVPreset::defaultPresetTemplate());
    seeds.emplace_back(empty.begin(), empty.end());
    dispatch::drainMainQueue();
    return seeds;
}

} // namespace ov::fuzz
