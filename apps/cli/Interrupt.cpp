#include "Interrupt.h"

#include "CliSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace cli {
namespace {

// State shared with the signal handler: plain lock-free atomics and a file descriptor.
volatile std::sig_atomic_t signalCount = 0;
volatile std::sig_atomic_t firstSignal = 0;
struct sigaction previousTermAction {};
std::atomic<int> writeEnd{-1};
struct sigaction previousAction {};

// The byte that tells the watcher thread to stop without an interrupt.
constexpr char kStopByte = 's';
constexpr char kInterruptByte = 'i';

void onSignal(int number) {
    const int saved = errno;
    if (signalCount > 0)
        _exit(128 + number);
    signalCount = 1;
    firstSignal = number;
    const int fd = writeEnd.load();
    if (fd >= 0) {
        const char byte = kInterruptByte;
        [[maybe_unused]] const auto n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt) {
    if (::pipe2(pipe_, O_CLOEXEC) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return; // Ctrl-C keeps its default effect
    }
    signalCount = 0;
    firstSignal = 0;
    writeEnd.store(pipe_[1]);
    thread_ = std::thread(
        [this, callback = std::move(onInterrupt)]() mutable { watch(std::move(callback)); });

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousAction);
    sigaction(SIGTERM, &action, &previousTermAction);
}

InterruptWatcher::~InterruptWatcher() {
    if (pipe_[1] < 0)
        return;
    sigaction(SIGINT, &previousAction, nullptr);
    sigaction(SIGTERM, &previousTermAction, nullptr);
    const char byte = kStopByte;
    [[maybe_unused]] const auto n = ::write(pipe_[1], &byte, 1);
    if (thread_.joinable())
        thread_.join();
    writeEnd.store(-1);
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

bool InterruptWatcher::interrupted() const {
    return signalCount > 0;
}

int interruptedExitCode() {
    return firstSignal == SIGTERM ? kExitTerminated : kExitInterrupted;
}

void InterruptWatcher::watch(std::function<void()> onInterrupt) {
    for (;;) {
        char byte = 0;
        const auto n = ::read(pipe_[0], &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || byte == kStopByte)
            return;
        if (byte == kInterruptByte && onInterrupt) {
            onInterrupt();
            onInterrupt = nullptr; // once
        }
    }
}

} // namespace cli
