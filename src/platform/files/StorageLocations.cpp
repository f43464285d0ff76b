#include "inkstead/platform/files/StorageLocations.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace ov {

namespace {

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

} // namespace

std::filesystem::path sharedContainerDirectory() {
    if (const char* home = std::getenv("INKSTEAD_HOME"); home != nullptr && *home != '\0')
        return home;
    // The XDG rule: a relative value is invalid and ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return data;
    return homeDirectory() / ".local" / "share";
}

} // namespace ov
