#include "inkstead/platform/archive/KeyedCoding.h"

#include <map>
#include <mutex>
#include <unordered_map>

namespace ov {

struct KeyedClassRegistry::State {
    mutable std::mutex mutex;
    std::map<std::string, ClassInfo, std::less<>> byName;
    std::unordered_map<std::type_index, std::string> nameByType;
};

KeyedClassRegistry& KeyedClassRegistry::shared() {
    static KeyedClassRegistry registry;
    return registry;
}

KeyedClassRegistry::State& KeyedClassRegistry::state() const {
    // Built on first use so that registrations from other files' static initialisers work
    // whatever the initialisation order.
    static State state;
    return state;
}

void KeyedClassRegistry::registerClass(std::type_index type, std::string name,
                                       std::vector<std::string> superclasses, Factory factory) {
    ClassInfo info;
    info.name = name;
    info.classes.push_back(name);
    for (auto& superclass : superclasses)
        info.classes.push_back(std::move(superclass));
    info.classes.emplace_back("NSObject");
    info.factory = std::move(factory);

    State& s = state();
    std::lock_guard lock(s.mutex);
    s.nameByType[type] = name;
    s.byName[std::move(name)] = std::move(info);
}

std::optional<KeyedClassRegistry::ClassInfo>
KeyedClassRegistry::classNamed(std::string_view name) const {
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto it = s.byName.find(name);
    if (it == s.byName.end())
        return std::nullopt;
    return it->second;
}

std::optional<KeyedClassRegistry::ClassInfo>
KeyedClassRegistry::classForType(std::type_index type) const {
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto name = s.nameByType.find(type);
    if (name == s.nameByType.end())
        return std::nullopt;
    auto it = s.byName.find(name->second);
    if (it == s.byName.end())
        return std::nullopt;
    return it->second;
}

} // namespace ov
