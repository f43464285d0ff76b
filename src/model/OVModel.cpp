#include "inkstead/model/OVModel.h"

#include "inkstead/model/OVImageFinder_p.h"
#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/notify/NotificationCenter.h"

#include <algorithm>
#include <unordered_set>

OVModel::ObjectList OVModel::modelObjects() const {
    std::lock_guard lock(mutex_);
    knownBookmarks_.reset();
    return objects_;
}

void OVModel::setModelObjects(ObjectList objects) {
    std::lock_guard lock(mutex_);
    knownBookmarks_.reset();
    objects_ = std::move(objects);
}

std::size_t OVModel::count() const {
    std::lock_guard lock(mutex_);
    return objects_.size();
}

std::shared_ptr<OVModelObject> OVModel::objectAtIndex(std::size_t index) const {
    std::lock_guard lock(mutex_);
    knownBookmarks_.reset();
    return index < objects_.size() ? objects_[index] : nullptr;
}

std::optional<std::filesystem::path> OVModel::URLAtIndex(std::size_t index) const {
    // Resolved outside the lock: it touches the disk.
    auto object = objectAtIndex(index);
    if (!object)
        return std::nullopt;
    return object->url();
}

bool OVModel::containsBookmark(const ov::FileReferenceData& bookmark) const {
    const auto objects = modelObjects();
    return std::any_of(objects.begin(), objects.end(),
                       [&](const auto& object) { return object->bookmark() == bookmark; });
}

void OVModel::addURL(const std::filesystem::path& url, const std::optional<ov::UUID>& presetID,
                     std::vector<OVUnreadableFolder>* unreadable) {
    const auto candidates = OVFindImages(url, unreadable);
    if (candidates.empty())
        return;
    // Bookmarks are made outside the lock (they touch the disk); the duplicate test uses a set
    // of the bytes already listed, kept from one addition to the next, so adding a large folder
    // or a long list one entry at a time stays linear.
    ObjectList added;
    for (const auto& candidate : candidates)
        added.push_back(OVModelObject::modelObjectWithURL(candidate));

    std::lock_guard lock(mutex_);
    const auto key = [](const ov::FileReferenceData& bytes) {
        return std::string(bytes.begin(), bytes.end());
    };
    if (!knownBookmarks_) {
        knownBookmarks_.emplace();
        for (const auto& object : objects_)
            knownBookmarks_->insert(key(object->bookmark()));
    }
    auto& known = *knownBookmarks_;
    for (auto& object : added) {
        const auto bookmark = object->bookmark();
        // Entries whose bookmark could not be made are all kept: empty bytes name no file.
        if (!bookmark.empty() && !known.insert(key(bookmark)).second)
            continue;
        object->setPresetID(presetID);
        objects_.push_back(std::move(object));
    }
}

void OVModel::addURLs(const std::vector<std::filesystem::path>& urls,
                      const std::optional<ov::UUID>& presetID) {
    for (const auto& url : urls) {
        std::error_code ec;
        const auto absolute = url.empty() ? url : std::filesystem::absolute(url, ec);
        if (!ec && !absolute.empty())
            addURL(absolute, presetID);
    }
    ov::NotificationCenter::defaultCenter().post(kOVModelChanged);
}

void OVModel::addURLs(const std::vector<std::string>& paths,
                      const std::optional<ov::UUID>& presetID) {
    addURLs(std::vector<std::filesystem::path>(paths.begin(), paths.end()), presetID);
}

void OVModel::removeObjectAtIndex(std::size_t index) {
    std::lock_guard lock(mutex_);
    knownBookmarks_.reset();
    if (index < objects_.size())
        objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(index));
}

void OVModel::removeObjectsAtIndexes(const std::set<std::size_t>& indexes) {
    std::lock_guard lock(mutex_);
    knownBookmarks_.reset();
    // From the back, so earlier removals do not shift later indexes.
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        if (*it < objects_.size())
            objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(*it));
    }
}

void OVModel::removeAllObjects() {
    std::lock_guard lock(mutex_);
    knownBookmarks_.reset();
    objects_.clear();
}

void OVModel::updateObjectsToPresetID(const std::optional<ov::UUID>& presetID) {
    const auto objects = modelObjects();
    // Setting an identifier is cheap: visit in a few chunks, not one task per entry.
    const std::size_t chunks = std::min(objects.size(), ov::dispatch::processorCount());
    if (chunks <= 1) {
        for (const auto& object : objects)
            object->setPresetID(presetID);
        return;
    }
    ov::dispatch::Group group;
    const std::size_t perChunk = (objects.size() + chunks - 1) / chunks;
    for (std::size_t begin = 0; begin < objects.size(); begin += perChunk) {
        const std::size_t end = std::min(objects.size(), begin + perChunk);
        group.async(ov::dispatch::globalQueue(), [&objects, &presetID, begin, end] {
            for (std::size_t i = begin; i < end; ++i)
                objects[i]->setPresetID(presetID);
        });
    }
    group.wait();
}

std::string OVModel::presetIDAtIndex(std::size_t index) const {
    auto object = objectAtIndex(index);
    if (!object)
        return {};
    const auto presetID = object->presetID();
    return presetID ? presetID->uuidString() : std::string();
}
