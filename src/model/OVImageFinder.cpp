#include "inkstead/model/OVImageFinder_p.h"

#include "inkstead/model/OVModel.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

bool isHidden(const fs::path& path) {
    const auto name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

bool isImage(const fs::path& path) {
    return !ov::ImageSource::typeOfFile(path).empty();
}

void collect(const fs::path& folder, std::vector<fs::path>& images,
             std::vector<OVUnreadableFolder>* unreadable) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        if (!isHidden(it->path()))
            entries.push_back(*it);
    }
    if (ec && unreadable)
        unreadable->push_back({folder, ec});
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename() < b.path().filename();
    });
    for (const auto& entry : entries) {
        std::error_code typeError;
        if (entry.is_symlink(typeError)) {
            // A linked file counts; a linked folder is not entered (it could loop).
            if (entry.is_regular_file(typeError) && isImage(entry.path()))
                images.push_back(entry.path());
        } else if (entry.is_directory(typeError)) {
            collect(entry.path(), images, unreadable);
        } else if (entry.is_regular_file(typeError) && isImage(entry.path())) {
            images.push_back(entry.path());
        }
    }
}

} // namespace

std::vector<fs::path> OVFindImages(const fs::path& url,
                                   std::vector<OVUnreadableFolder>* unreadable) {
    std::vector<fs::path> images;
    std::error_code ec;
    const auto status = fs::status(url, ec);
    if (ec || !fs::exists(status))
        return images;
    if (fs::is_directory(status))
        collect(url, images, unreadable);
    else if (fs::is_regular_file(status) && isImage(url))
        images.push_back(url);
    return images;
}
