#pragma once

#include <filesystem>
#include <functional>

/// Runs `body` only when the file at `url` may be read by this process (it exists and its
/// permissions allow reading); does nothing otherwise. Returns whether `body` ran.
bool accessSecurityScopedResource(const std::filesystem::path& url,
                                  const std::function<void()>& body);
