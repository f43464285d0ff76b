#include "inkstead/platform/files/TemporaryFiles.h"

#include <mutex>
#include <set>

namespace fs = std::filesystem;

namespace ov {

void removeAbandonedTemporaryFiles(const fs::path& directory) {
    static std::mutex mutex;
    static std::set<fs::path> visited;
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(directory.empty() ? "." : directory, error);
    {
        std::lock_guard lock(mutex);
        if (error || !visited.insert(folder).second)
            return;
    }
    const auto limit = fs::file_time_type::clock::now() - kAbandonedTemporaryFileAge;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code entryError;
        if (!it->path().filename().string().starts_with(kTemporaryFilePrefix) ||
            !it->is_regular_file(entryError) || it->is_symlink(entryError))
            continue;
        const auto changed = it->last_write_time(entryError);
        if (!entryError && changed < limit)
            fs::remove(it->path(), entryError);
    }
}

} // namespace ov
