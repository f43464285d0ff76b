#include "inkstead/model/OVModelObject.h"

#include "inkstead/model/OVBookmarkAddition.h"
#include "inkstead/platform/log/Log.h"

OVModelObject::OVModelObject(const std::filesystem::path& url)
    : bookmark_(createBookmarkWithURL(url)) {}

std::shared_ptr<OVModelObject> OVModelObject::modelObjectWithURL(const std::filesystem::path& url) {
    return std::make_shared<OVModelObject>(url);
}

ov::FileReferenceData OVModelObject::createBookmarkWithURL(const std::filesystem::path& url) {
    auto bookmark = ov::createFileReference(url);
    if (!bookmark) {
        ov::log("Error bookmarking selected URL: " + bookmark.error().message);
        return {};
    }
    return std::move(bookmark).value();
}

ov::FileReferenceData OVModelObject::bookmark() const {
    std::lock_guard lock(mutex_);
    return bookmark_;
}

void OVModelObject::setBookmark(ov::FileReferenceData bookmark) {
    std::lock_guard lock(mutex_);
    bookmark_ = std::move(bookmark);
}

std::optional<ov::UUID> OVModelObject::presetID() const {
    std::lock_guard lock(mutex_);
    return presetID_;
}

void OVModelObject::setPresetID(std::optional<ov::UUID> presetID) {
    std::lock_guard lock(mutex_);
    presetID_ = presetID;
}

std::optional<std::filesystem::path> OVModelObject::resolveURLFromBookmark() {
    const auto resolution = ov::resolveFileReference(bookmark());
    if (!resolution) {
        ov::log("Error resolving URL from bookmark: " + resolution.error().message);
        return std::nullopt;
    }
    if (resolution->isStale) {
        const auto& url = resolution->path;
        accessSecurityScopedResource(url, [&] {
            // A fresh bookmark that cannot be made leaves the stale one, which still resolves.
            if (auto fresh = createBookmarkWithURL(url); !fresh.empty())
                setBookmark(std::move(fresh));
        });
    }
    return resolution->path;
}
