#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "CliSupport.h"
#include "PresetJson.h"

#include "platform/dispatch/Dispatch.h"

namespace ov::fuzz {

int runPresetJson(const std::uint8_t* data, std::size_t size) {
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(data, data + size);
    } catch (const nlohmann::json::parse_error&) {
        return 0; // reported to the user as invalid JSON
    }
    try {
        cli::ImportedPreset imported = cli::presetFromJson(document);
        // Bad values are refused with a message naming the field (caught below); any other
        // exception escapes as a fault. What was accepted must write back and render.
        (void)cli::presetToJson(*imported.preset).dump();
        renderSmall(*imported.preset, 32, 24);
    } catch (const cli::CliError&) {
    }
    dispatch::drainMainQueue();
    return 0;
}

std::vector<Bytes> presetJsonSeeds() {
    std::vector<Bytes> seeds;
    for (bool withPicture : {true, false}) {
        const std::string text = cli::presetToJson(*everyKindPreset(withPicture)).dump(1);
        seeds.emplace_back(text.begin(), text.end());
    }
    const std::string empty = cli::presetToJson(*OVPreset::defaultPresetTemplate()).dump();
    seeds.emplace_back(empty.begin(), empty.end());
    dispatch::drainMainQueue();
    return seeds;
}

} // namespace ov::fuzz
