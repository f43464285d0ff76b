#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "platform/dispatch/Dispatch.h"
#include "presets/OVPresetJson.h"

#include <string_view>

namespace ov::fuzz {

int runPresetJson(const std::uint8_t* data, std::size_t size) {
    // Bad documents are refused with a message naming the field; what was accepted must write
    // back and render.
    auto read = OVPresetFromJson(std::string_view(reinterpret_cast<const char*>(data), size));
    if (read) {
        (void)OVPresetJsonString(*read.value().preset);
        renderSmall(*read.value().preset, 32, 24);
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
