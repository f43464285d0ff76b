#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "presets/OVPresetJson.h"

#include "platform/dispatch/Dispatch.h"

namespace ov::fuzz {

int runPresetJson(const std::uint8_t* data, std::size_t size) {
    // Bad input is refused with a message naming the field; an exception escapes as a fault.
    // What was accepted must write back and render.
    auto imported = OVPresetFromJson(
        std::string_view(reinterpret_cast<const char*>(data), size));
    if (imported) {
        (void)OVPresetJsonString(*imported.value().preset);
        renderSmall(*imported.value().preset, 32, 24);
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
