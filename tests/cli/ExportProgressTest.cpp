// The progress line of `inkstead export`: drawn in place on a terminal, absent otherwise.

#include "CliRunner.h"
#include "ExportTestPhotos.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace fs = std::filesystem;
using ov::test::TempDir;

namespace {

// Runs inkstead with standard error on a new pseudo-terminal; returns what it wrote there.
std::string runOnTerminal(const std::vector<std::string>& args, const fs::path& home,
                          const char* term = "xterm") {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    const std::string slaveName = ::ptsname(master);

    std::vector<std::string> argStrings{INKSTEAD_CLI_PATH};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int slave = ::open(slaveName.c_str(), O_RDWR);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(slave, STDERR_FILENO);
        ::setenv("INKSTEAD_HOME", home.c_str(), 1);
        ::setenv("TERM", term, 1);
        std::vector<char*> argv;
        for (auto& a : argStrings)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    std::string output;
    for (;;) {
        pollfd fd{master, POLLIN, 0};
        if (::poll(&fd, 1, 200) > 0) {
            char buffer[4096];
            const auto n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break; // the child closed the terminal
            output.append(buffer, static_cast<std::size_t>(n));
        } else if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            break;
        }
    }
    ::waitpid(pid, nullptr, 0);
    ::close(master);
    return output;
}

} // namespace

TEST(ExportProgress, RedrawnInPlaceOnATerminalAndClearedBeforeTheSummary) {
    TempDir dir;
    fs::create_directories(dir / "in");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        clitest::writeTestPhoto(dir / "in" / name);

    const std::string terminal = runOnTerminal(
        {"export", (dir / "in").string(), "-o", (dir / "out").string(), "--jobs", "1"},
        dir / "home");
    EXPECT_NE(terminal.find("\r3/3 ["), std::string::npos) << terminal;
    EXPECT_NE(terminal.find("left"), std::string::npos);
    EXPECT_NE(terminal.find(".jpg"), std::string::npos) << "names the current file";
    // The line is erased, then the summary follows on a line of its own.
    const auto summary = terminal.find("Exported 3 images");
    ASSERT_NE(summary, std::string::npos);
    EXPECT_EQ(terminal.rfind("\r\x1b[K", summary), summary - 4);

    const std::string quiet = runOnTerminal(
        {"export", (dir / "in").string(), "-o", (dir / "quiet").string(), "-q"}, dir / "home");
    EXPECT_EQ(quiet, "");

    // A terminal that cannot redraw gets plain lines, one per finished image.
    const std::string dumb = runOnTerminal(
        {"export", (dir / "in").string(), "-o", (dir / "dumb").string(), "--jobs", "1"},
        dir / "home", "dumb");
    EXPECT_EQ(dumb.find('\x1b'), std::string::npos) << dumb;
    EXPECT_NE(dumb.find("3/3 ["), std::string::npos) << dumb;

    // Not a terminal: the summary only, no progress line.
    const auto piped = clitest::runInkstead(
        {"export", (dir / "in").string(), "-o", (dir / "piped").string()}, {.home = dir / "home"});
    EXPECT_EQ(piped.err.find('\r'), std::string::npos) << piped.err;
    EXPECT_NE(piped.err.find("Exported 3 images"), std::string::npos);
}
