#include "ProgressBar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace cli {
namespace {

constexpr std::size_t kBarWidth = 24;
constexpr std::size_t kDefaultColumns = 80;
// Redraws come from every image's start and end; a few per second are enough to read.
constexpr auto kMinimumRedrawInterval = std::chrono::milliseconds(100);

std::size_t terminalColumns(std::FILE* stream) {
    winsize size{};
    if (::ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultColumns;
}

// Bytes of `text` that start a UTF-8 character (so a name is never cut inside one).
bool startsCharacter(unsigned char byte) {
    return (byte & 0xC0) != 0x80;
}

// The code point starting at `text[at]`; `at` moves past it. Malformed bytes count as one.
char32_t nextCodePoint(const std::string& text, std::size_t& at) {
    const auto byte = static_cast<unsigned char>(text[at++]);
    int extra = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    char32_t point = extra == 3   ? byte & 0x07
                     : extra == 2 ? byte & 0x0F
                     : extra      ? byte & 0x1F
                                  : byte;
    while (extra-- > 0 && at < text.size() && !startsCharacter(text[at]))
        point = (point << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    return point;
}

// Terminal columns of a character: 0 for combining marks and joiners, 2 for East Asian wide
// and full-width characters and pictographs, 1 for the rest.
std::size_t columnsOf(char32_t c) {
    if ((c >= 0x300 && c <= 0x36F) || (c >= 0x200B && c <= 0x200F) || (c >= 0xFE00 && c <= 0xFE0F))
        return 0;
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
                      (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
                      (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                      (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

// The end of `text` that fits in `columns`, with a leading ellipsis when shortened.
std::string tail(const std::string& text, std::size_t columns) {
    if (displayLength(text) <= columns)
        return text;
    if (columns == 0)
        return {};
    std::size_t begin = text.size();
    std::size_t used = 0;
    for (;;) {
        std::size_t start = begin;
        while (start > 0 && !startsCharacter(static_cast<unsigned char>(text[start - 1])))
            --start;
        if (start == 0)
            break;
        --start; // the lead byte
        std::size_t at = start;
        const std::size_t width = columnsOf(nextCodePoint(text, at));
        if (used + width > columns - 1)
            break;
        used += width;
        begin = start;
    }
    return "…" + text.substr(begin);
}

} // namespace

std::size_t displayLength(const std::string& text) {
    std::size_t columns = 0;
    for (std::size_t at = 0; at < text.size();)
        columns += columnsOf(nextCodePoint(text, at));
    return columns;
}

std::string formatDuration(double seconds) {
    const long total = std::lround(std::max(0.0, seconds));
    const long h = total / 3600, m = (total / 60) % 60, s = total % 60;
    char text[32];
    if (h > 0)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", h, m, s);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", m, s);
    return text;
}

std::string formatProgressLine(const ProgressState& state, std::size_t columns) {
    const std::size_t total = std::max<std::size_t>(state.total, 1);
    const std::size_t done = std::min(state.done, total);
    const std::size_t filled = done * kBarWidth / total;

    std::string line = std::to_string(done) + "/" + std::to_string(state.total) + " [";
    line.append(filled, '#');
    line.append(kBarWidth - filled, '-');
    line += "]";

    if (done > 0 && state.elapsedSeconds > 0) {
        const double rate = static_cast<double>(done) / state.elapsedSeconds;
        char text[64];
        std::snprintf(text, sizeof text, " %.1f/s %s left", rate,
                      formatDuration(static_cast<double>(total - done) / rate).c_str());
        line += text;
    } else {
        line += " --/s --:-- left";
    }
    if (!state.currentFile.empty() && displayLength(line) + 2 < columns)
        line += "  " + tail(state.currentFile, columns - displayLength(line) - 2);
    if (displayLength(line) > columns)
        line = line.substr(0, columns); // only the ASCII head remains at such widths
    return line;
}

ProgressBar::ProgressBar(std::size_t total, std::FILE* stream)
    : stream_(stream), plain_(isDumbTerminal()) {
    state_.total = total;
}

bool ProgressBar::isDumbTerminal() {
    const char* term = std::getenv("TERM");
    return term && std::string_view(term) == "dumb";
}

bool ProgressBar::wanted(bool quiet) {
    return !quiet && ::isatty(STDERR_FILENO) == 1;
}

void ProgressBar::beginSheetModalForWindow(OVHostWindow*) {
    std::lock_guard lock(mutex_);
    start_ = Clock::now();
    redraw(true);
}

void ProgressBar::endSheet(OVHostWindow*) {
    clear();
}

void ProgressBar::setFileLabel(const std::string& text) {
    std::lock_guard lock(mutex_);
    constexpr std::string_view kPrefix = "Saving ";
    state_.currentFile = text.starts_with(kPrefix) ? text.substr(kPrefix.size()) : text;
    redraw(false);
}

void ProgressBar::setCountLabel(const std::string&) {
    // The count is drawn from the progress value, together with the rate it gives.
}

void ProgressBar::setProgressValue(double fraction) {
    std::lock_guard lock(mutex_);
    const auto done = static_cast<std::size_t>(
        std::lround(std::clamp(fraction, 0.0, 1.0) * static_cast<double>(state_.total)));
    const bool changed = done != state_.done;
    state_.done = done;
    redraw(changed);
}

void ProgressBar::clear() {
    std::lock_guard lock(mutex_);
    erase();
    ended_ = true;
}

void ProgressBar::redraw(bool force) {
    if (ended_)
        return;
    const auto now = Clock::now();
    if (!force && shown_ && now - lastDraw_ < kMinimumRedrawInterval)
        return;
    lastDraw_ = now;
    state_.elapsedSeconds = std::chrono::duration<double>(now - start_).count();
    if (plain_) {
        // A terminal that cannot move the cursor gets one line per finished image.
        if (state_.done != printedDone_ || !shown_)
            std::fprintf(stream_, "%s\n", formatProgressLine(state_, kDefaultColumns).c_str());
        printedDone_ = state_.done;
        shown_ = true;
        std::fflush(stream_);
        return;
    }
    // One column short of the width, so the cursor never wraps to a new line.
    const std::size_t columns = std::max<std::size_t>(terminalColumns(stream_), 2) - 1;
    std::fprintf(stream_, "\r%s\x1b[K", formatProgressLine(state_, columns).c_str());
    std::fflush(stream_);
    shown_ = true;
}

void ProgressBar::erase() {
    if (!shown_ || plain_)
        return;
    std::fprintf(stream_, "\r\x1b[K");
    std::fflush(stream_);
    shown_ = false;
}

} // namespace cli
