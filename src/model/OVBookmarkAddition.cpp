#include "inkstead/model/OVBookmarkAddition.h"

#include <unistd.h>

bool accessSecurityScopedResource(const std::filesystem::path& url,
                                  const std::function<void()>& body) {
    if (url.empty() || ::access(url.c_str(), R_OK) != 0)
        return false;
    if (body)
        body();
    return true;
}
