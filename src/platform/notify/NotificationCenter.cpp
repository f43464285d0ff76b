#include "inkstead/platform/notify/NotificationCenter.h"

#include "inkstead/platform/dispatch/Dispatch.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace ov {

namespace {

/// One registered observer. Calls under way are tracked per thread so that removal can wait for
/// them (except for a call on the removing thread itself).
struct Registration {
    std::uint64_t id = 0;
    std::string name;
    const void* object = nullptr;
    NotificationCenter::Observer observer;

    std::mutex mutex;
    std::condition_variable finished;
    bool removed = false;
    std::vector<std::thread::id> callers;

    [[nodiscard]] bool matches(std::string_view postedName, const void* postedObject) const {
        return (name.empty() || name == postedName) &&
               (object == nullptr || object == postedObject);
    }

    void call(const Notification& notification) {
        {
            std::lock_guard lock(mutex);
            if (removed)
                return;
            callers.push_back(std::this_thread::get_id());
        }
        try {
            observer(notification);
        } catch (...) {
            // An observer's failure must not stop the others.
        }
        std::lock_guard lock(mutex);
        callers.erase(std::find(callers.begin(), callers.end(), std::this_thread::get_id()));
        finished.notify_all();
    }

    void remove() {
        std::unique_lock lock(mutex);
        removed = true;
        const auto self = std::this_thread::get_id();
        finished.wait(lock, [&] {
            return std::all_of(callers.begin(), callers.end(),
                               [&](std::thread::id caller) { return caller == self; });
        });
    }
};

} // namespace

struct NotificationCenter::Impl {
    std::mutex mutex;
    std::vector<std::shared_ptr<Registration>> registrations;
    std::uint64_t nextID = 1;

    void post(std::string_view name, const void* object, UserInfo userInfo) {
        // Observers run on a snapshot taken outside the lock, so they may change the
        // registrations.
        std::vector<std::shared_ptr<Registration>> matching;
        {
            std::lock_guard lock(mutex);
            for (const auto& registration : registrations) {
                if (registration->matches(name, object))
                    matching.push_back(registration);
            }
        }
        if (matching.empty())
            return;
        const Notification notification{std::string(name), object, std::move(userInfo)};
        for (const auto& registration : matching)
            registration->call(notification);
    }
};

NotificationCenter& NotificationCenter::defaultCenter() {
    // Never destroyed: observers may be removed or posts made during static destruction.
    static NotificationCenter* center = new NotificationCenter;
    return *center;
}

NotificationCenter::NotificationCenter() : d(std::make_shared<Impl>()) {}

NotificationCenter::~NotificationCenter() = default;

ObserverToken NotificationCenter::addObserver(std::string_view name, Observer observer,
                                              const void* object) {
    if (!observer)
        return {};
    auto registration = std::make_shared<Registration>();
    registration->name = std::string(name);
    registration->object = object;
    registration->observer = std::move(observer);
    std::lock_guard lock(d->mutex);
    registration->id = d->nextID++;
    d->registrations.push_back(registration);
    return ObserverToken(registration->id);
}

void NotificationCenter::removeObserver(ObserverToken token) {
    if (!token.isValid())
        return;
    std::shared_ptr<Registration> registration;
    {
        std::lock_guard lock(d->mutex);
        auto it = std::find_if(d->registrations.begin(), d->registrations.end(),
                               [&](const auto& r) { return r->id == token.id_; });
        if (it == d->registrations.end())
            return;
        registration = *it;
        d->registrations.erase(it);
    }
    registration->remove();
}

void NotificationCenter::post(std::string_view name, const void* object, UserInfo userInfo) {
    d->post(name, object, std::move(userInfo));
}

void NotificationCenter::postOnMainQueue(std::string_view name, const void* object,
                                         UserInfo userInfo) {
    // The item holds the center's state, so a center destroyed meanwhile does not dangle.
    dispatch::async(dispatch::mainQueue(), [impl = d, name = std::string(name), object,
                                            userInfo = std::move(userInfo)]() mutable {
        impl->post(name, object, std::move(userInfo));
    });
}

} // namespace ov
