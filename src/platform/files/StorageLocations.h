#pragma once

#include <filesystem>

namespace ov {

/// The shared container the library keeps its storage directory in: `$INKSTEAD_HOME` when set
/// and not empty, else `$XDG_DATA_HOME` when it is an absolute path, else `~/.local/share`
/// (`$HOME`, or the password database's home when `$HOME` is unset). Read afresh at every call
/// and not created here.
[[nodiscard]] std::filesystem::path sharedContainerDirectory();

} // namespace ov
