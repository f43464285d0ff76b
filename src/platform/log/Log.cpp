#include "inkstead/platform/log/Log.h"

#include <cstdio>
#include <mutex>

namespace ov {
namespace {

std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}

LogSink& currentSink() {
    static LogSink sink;
    return sink;
}

} // namespace

void log(std::string_view line) {
    std::lock_guard lock(sinkMutex());
    if (currentSink()) {
        currentSink()(line);
        return;
    }
    std::fprintf(stderr, "inkstead: %.*s\n", static_cast<int>(line.size()), line.data());
}

LogSink setLogSink(LogSink sink) {
    std::lock_guard lock(sinkMutex());
    LogSink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

} // namespace ov
