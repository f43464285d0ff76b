#pragma once

#include <filesystem>

/// Draws the demo test picture through the graphics layer and writes it as `directory`/demo.png,
/// creating the directory when needed. Returns the written file, or an empty path on failure.
std::filesystem::path writeDemoPicture(const std::filesystem::path& directory);
