#pragma once

// Runs the built inkstead binary as a child process, the way a user or a script would.

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace clitest {

struct RunResult {
    int exitCode = -1; ///< the exit status, or 128 + signal number when killed by a signal
    std::string out;   ///< standard output
    std::string err;   ///< standard error
};

struct RunOptions {
    /// Storage location given to the child as INKSTEAD_HOME (empty: unset).
    std::filesystem::path home{};
    /// Extra environment entries.
    std::map<std::string, std::string> environment{};
    /// Working directory of the child (empty: the current one).
    std::filesystem::path workingDirectory{};
    /// The child is killed (SIGKILL, exit code 137) when it runs longer; zero waits forever.
    std::chrono::milliseconds timeout{0};
    /// File the child reads as standard input (empty: /dev/null).
    std::filesystem::path input{};
    /// A command the child runs through, its arguments first (to lower privileges or limits).
    std::vector<std::string> wrapper{};
};

/// A wrapper under which the superuser, too, is bound by file permissions (empty when the
/// tests do not run as the superuser).
std::vector<std::string> boundByPermissions();

/// Runs `inkstead args...` and waits for it.
RunResult runInkstead(const std::vector<std::string>& args, const RunOptions& options = {});

/// Starts `inkstead args...` without waiting; standard output and error go to the given files.
/// Returns the child's process id.
int startInkstead(const std::vector<std::string>& args, const RunOptions& options,
                  const std::filesystem::path& outFile, const std::filesystem::path& errFile);

/// Waits for a child started with startInkstead(); the exit code as runInkstead() gives it.
/// With a `timeout`, a child still running then is killed first.
int waitForInkstead(int pid, std::chrono::milliseconds timeout = {});

} // namespace clitest
