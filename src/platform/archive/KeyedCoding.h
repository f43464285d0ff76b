#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

namespace ov {

class KeyedArchiver;
class KeyedUnarchiver;

/// An object that a keyed archive stores as a record of its own class: a dictionary of the
/// entries its encodeWithCoder() writes, plus the archived class name that decides which class
/// decodes it. The class must be registered with KeyedClassRegistry under that name.
class KeyedCoding {
public:
    virtual ~KeyedCoding() = default;

    /// Writes the object's entries, in order, into the record the archiver has opened for it.
    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
    /// Reads the object's entries from the record being decoded into a freshly made object.
    /// Returning false rejects the record, which then decodes as null.
    virtual bool initWithCoder(KeyedUnarchiver& coder) = 0;
};

/// The classes a keyed archive can hold records of, by archived class name. Classes are
/// registered explicitly, by one idempotent function of the library that owns them:
///
///     OVKeyedClassRegistry::add<OVShapeWatermark>("OVShapeWatermark", {"OVWatermark"});
///
/// A class T whose records need such registrations declares `static void
/// registerArchivedClasses()`; the unarchiver's reads of objects of class T call it first
/// (registerArchivedClassesOf), so a program can decode before it has made any object.
/// Archived class names never change once shipped. Thread-safe.
class KeyedClassRegistry {
public:
    /// Makes an object of the class and decodes it from the unarchiver's current record; null
    /// when the record is rejected.
    using Factory = std::function<std::shared_ptr<KeyedCoding>(KeyedUnarchiver&)>;

    struct ClassInfo {
        std::string name;                 ///< archived class name, e.g. "OVShapeWatermark"
        std::vector<std::string> classes; ///< class chain written as "$classes", name first
        Factory factory;
    };

    static KeyedClassRegistry& shared();

    /// Registers (or replaces) the class of C++ type `type` under `name`. `superclasses` lists
    /// the archived superclasses between the class and the root class "NSObject", nearest first.
    void registerClass(std::type_index type, std::string name,
                       std::vector<std::string> superclasses, Factory factory);

    /// Registers T, made with std::make_shared<T>() and then T::initWithCoder(). Returns true so
    /// the call can initialise a static.
    template <class T>
    static bool add(std::string name, std::vector<std::string> superclasses = {}) {
        shared().registerClass(typeid(T), std::move(name), std::move(superclasses),
                               [](KeyedUnarchiver& coder) -> std::shared_ptr<KeyedCoding> {
                                   auto object = std::make_shared<T>();
                                   if (!object->initWithCoder(coder))
                                       return nullptr;
                                   return object;
                               });
        return true;
    }

    [[nodiscard]] std::optional<ClassInfo> classNamed(std::string_view name) const;
    [[nodiscard]] std::optional<ClassInfo> classForType(std::type_index type) const;

private:
    KeyedClassRegistry() = default;
    struct State;
    State& state() const;
};

/// Calls T::registerArchivedClasses() when T declares it; nothing otherwise.
template <class T> void registerArchivedClassesOf() {
    if constexpr (requires { T::registerArchivedClasses(); })
        T::registerArchivedClasses();
}

} // namespace ov

using OVKeyedClassRegistry = ov::KeyedClassRegistry;
