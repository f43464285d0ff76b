#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ov {

/// Writes one line of the system log: to standard error, prefixed with the program name. The
/// library logs only the few conditions its callers may want to diagnose (NaN paths, text
/// frames that cannot be laid out, presets file problems, unresolvable file references).
/// Thread-safe.
void log(std::string_view line);

/// Replaces where log lines go (tests capture them); an empty function restores standard error.
/// Returns the previous sink.
using LogSink = std::function<void(std::string_view)>;
LogSink setLogSink(LogSink sink);

} // namespace ov
