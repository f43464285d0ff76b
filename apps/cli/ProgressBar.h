#pragma once

// The progress line of a batch export on a terminal.

#include "inkstead/export/OVSaveProgressPresenter.h"

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>

namespace cli {

/// What one progress line shows.
struct ProgressState {
    std::size_t done = 0;
    std::size_t total = 0;
    double elapsedSeconds = 0;
    std::string currentFile;
};

/// The line for `state`, at most `columns` terminal columns wide (wide characters take two): count,
/// bar, rate, time left and the current file name (shortened from the left when the line is too
/// long).
[[nodiscard]] std::string formatProgressLine(const ProgressState& state, std::size_t columns);

/// Terminal columns `text` (UTF-8) takes: wide characters two, combining marks none.
[[nodiscard]] std::size_t displayLength(const std::string& text);

/// "1:05", "12:00:03": a duration for people.
[[nodiscard]] std::string formatDuration(double seconds);

/// Shows a batch on a terminal as one line redrawn in place and cleared when the batch ends.
/// The save manager calls it one call at a time; the mutex also orders those calls against
/// `clear()` from another thread.
class ProgressBar : public OVSaveProgressPresenter {
public:
    ProgressBar(std::size_t total, std::FILE* stream);

    /// Whether a progress line belongs on standard error: it is a terminal and not silenced.
    [[nodiscard]] static bool wanted(bool quiet);
    /// TERM=dumb: the terminal cannot redraw a line, so progress comes as plain lines.
    [[nodiscard]] static bool isDumbTerminal();

    void beginSheetModalForWindow(OVHostWindow* window) override;
    void endSheet(OVHostWindow* window) override;
    void setFileLabel(const std::string& text) override;
    void setCountLabel(const std::string& text) override;
    void setProgressValue(double fraction) override;

    /// Removes the line and draws no more (a message is about to be printed).
    void clear();

private:
    using Clock = std::chrono::steady_clock;
    void redraw(bool force);
    void erase();

    std::mutex mutex_;
    std::FILE* stream_;
    ProgressState state_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDraw_{};
    bool shown_ = false;
    bool ended_ = false;
    bool plain_ = false;
    std::size_t printedDone_ = 0;
};

} // namespace cli
