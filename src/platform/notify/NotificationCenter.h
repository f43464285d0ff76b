#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace ov {

/// Extra values of a notification, by key.
using UserInfo = std::map<std::string, std::any>;

/// One posted notification. `object` identifies the sender (never dereferenced by the center).
struct Notification {
    std::string name;
    const void* object = nullptr;
    UserInfo userInfo;
};

/// Identifies one registered observer; hand it back to `removeObserver`. A default-made token
/// names nothing.
class ObserverToken {
public:
    ObserverToken() = default;
    [[nodiscard]] bool isValid() const { return id_ != 0; }
    friend bool operator==(const ObserverToken&, const ObserverToken&) = default;

private:
    friend class NotificationCenter;
    explicit ObserverToken(std::uint64_t id) : id_(id) {}
    std::uint64_t id_ = 0;
};

/// Delivers named notifications to the observers of that name. Thread-safe: observers may be
/// added, removed and notified from any thread. Observers run on the posting thread, in the
/// order they were added; an observer may post, add or remove observers (itself included).
class NotificationCenter {
public:
    using Observer = std::function<void(const Notification&)>;

    /// The process-wide center.
    static NotificationCenter& defaultCenter();

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    /// Calls `observer` for every notification named `name` (every notification when `name` is
    /// empty) and, when `object` is not null, only for those posted with that object.
    [[nodiscard]] ObserverToken addObserver(std::string_view name, Observer observer,
                                            const void* object = nullptr);
    /// Unregisters an observer. After it returns the observer is not called again, and calls
    /// under way on other threads have finished (a call from inside the observer itself does
    /// not wait for its own return). Unknown tokens are ignored.
    void removeObserver(ObserverToken token);

    /// Calls the matching observers on the calling thread before returning.
    void post(std::string_view name, const void* object = nullptr, UserInfo userInfo = {});
    /// Posts from the main queue (returns at once).
    void postOnMainQueue(std::string_view name, const void* object = nullptr,
                         UserInfo userInfo = {});

private:
    struct Impl;
    std::shared_ptr<Impl> d;
};

/// Removes its observer when destroyed.
class ScopedObserver {
public:
    ScopedObserver() = default;
    ScopedObserver(NotificationCenter& center, ObserverToken token)
        : center_(&center), token_(token) {}
    ScopedObserver(ScopedObserver&& other) noexcept { *this = std::move(other); }
    ScopedObserver& operator=(ScopedObserver&& other) noexcept {
        if (this != &other) {
            reset();
            center_ = other.center_;
            token_ = other.token_;
            other.center_ = nullptr;
            other.token_ = {};
        }
        return *this;
    }
    ~ScopedObserver() { reset(); }
    void reset() {
        if (center_ != nullptr)
            center_->removeObserver(token_);
        center_ = nullptr;
        token_ = {};
    }

private:
    NotificationCenter* center_ = nullptr;
    ObserverToken token_;
};

} // namespace ov
