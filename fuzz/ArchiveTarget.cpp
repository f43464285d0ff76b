#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "inkstead/platform/archive/BinaryPropertyList_p.h"
#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"
#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/presets/OVPresetJson.h"

#include <algorithm>
#include <cstdlib>
#include <span>

namespace ov::fuzz {
namespace {

// Visits objects of the container directly, as any reader of the file may, including those
// the archive's records never reach.
void walkContainer(std::span<const std::uint8_t> bytes) {
    std::string error;
    auto reader = bplist::Reader::open(bytes, &error);
    if (!reader)
        return;
    const std::uint64_t count = std::min<std::uint64_t>(reader->objectCount(), 4096);
    for (std::uint64_t ref = 0; ref < count; ++ref) {
        const bplist::Object* object = reader->object(ref);
        if (!object || object->type != bplist::Object::Type::Dictionary)
            continue;
        for (std::size_t i = 0; i < object->count(); ++i)
            (void)reader->keyAt(*object, i);
        (void)reader->lookup(*object, "$class");
    }
}

std::vector<std::shared_ptr<const KeyedCoding>> asRoots(const std::vector<OVPresetPtr>& list) {
    return {list.begin(), list.end()};
}

} // namespace

int runArchive(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    walkContainer(bytes);

    KeyedUnarchiver coder(bytes);
    auto list = coder.decodeArrayOfObjectsOfClass<OVPreset>("root");
    if (list) {
        // What was read is saved again; the saved file must read back with every preset.
        const auto again = KeyedArchiver::archivedDataWithRootArray(asRoots(*list));
        auto back = KeyedUnarchiver::unarchivedRootArrayOfClass<OVPreset>(again);
        if (!back || back->size() != list->size())
            std::abort();
        // Drawing and the JSON form read each watermark through its kind, whatever class and
        // type code the file paired.
        for (const auto& preset : *list) {
            renderSmall(*preset, 32, 24);
            (void)OVPresetJsonString(*preset);
        }
    }
    dispatch::drainMainQueue();
    return 0;
}

std::vector<Bytes> archiveSeeds() {
    std::vector<Bytes> seeds;
    seeds.push_back(KeyedArchiver::archivedDataWithRootArray(asRoots({everyKindPreset(true)})));
    seeds.push_back(KeyedArchiver::archivedDataWithRootArray(
        asRoots({OVPreset::defaultPresetTemplate(), everyKindPreset(false)})));
    seeds.push_back(KeyedArchiver::archivedDataWithRootArray({}));
    dispatch::drainMainQueue();
    return seeds;
}

} // namespace ov::fuzz
