#pragma once

// Shell completion scripts made from the command definitions themselves, so that every command
// and option the tool has is completed, and nothing it does not have.

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>

namespace cli {

/// The completion script for `shell` ("bash", "zsh" or "fish") of the command tree under `app`.
/// Empty for another shell.
[[nodiscard]] std::string completionScript(const CLI::App& app, std::string_view shell);

} // namespace cli
