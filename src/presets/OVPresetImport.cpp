#include "inkstead/presets/OVPresetJson.h"
#include "inkstead/presets/OVPresetManager.h"

#include <algorithm>

// Importing a preset read from its JSON form into the manager's list.

ov::Result<OVPresetManager::Import> OVPresetManager::importPreset(OVImportedPreset& imported,
                                                                  bool replace) {
    OVPreset& preset = *imported.preset;
    Import import;
    std::size_t position = count();
    if (replace)
        import.replaced = presetWithName(preset.name());
    if (import.replaced) {
        preset.setUuid(import.replaced->uuid());
        position = indexOfPreset(import.replaced).value_or(position);
        removeObjectFromPresetsAtIndex(position);
    }
    const std::string recordedName = preset.name();
    preset.setName(freePresetName(recordedName));
    if (preset.name() != recordedName)
        import.recordedName = recordedName;
    import.newIdentity =
        !import.replaced &&
        imported.makeDistinctFrom(presets().value_or(std::vector<OVPresetPtr>{}), storage());
    if (auto stored = imported.storePictures(storage()); !stored) {
        preset.setName(recordedName);
        if (import.replaced)
            insertObject(import.replaced, position);
        return stored.error();
    }
    preset.setShouldSave(false);
    insertObject(imported.preset, position);
    return import;
}

void OVPresetManager::removeReplacedPictures(const Import& import, const OVPreset& imported) {
    if (!import.replaced)
        return;
    // A preset imported over its own earlier form keeps its watermarks' identifiers, and with
    // them their picture files.
    const auto kept = imported.allWatermarkIDs();
    for (const auto& mark : import.replaced->watermarks())
        if (std::find(kept.begin(), kept.end(), mark->uuid().uuidString()) == kept.end())
            mark->removeImage();
}
