#include "CliRunner.h"

#include "support/TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace clitest {
namespace {

std::vector<std::string> childEnvironment(const RunOptions& options) {
    std::map<std::string, std::string> entries;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos)
            entries[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    entries.erase("INKSTEAD_HOME");
    if (!options.home.empty())
        entries["INKSTEAD_HOME"] = options.home.string();
    for (const auto& [key, value] : options.environment)
        entries[key] = value;
    std::vector<std::string> list;
    for (const auto& [key, value] : entries)
        list.push_back(key + "=" + value);
    return list;
}

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::vector<std::string> boundByPermissions() {
    if (::geteuid() != 0)
        return {};
    const char* kDropped = "-dac_override,-dac_read_search";
    return {"/usr/bin/setpriv", std::string("--inh-caps=") + kDropped,
            std::string("--bounding-set=") + kDropped, "--"};
}

int startInkstead(const std::vector<std::string>& args, const RunOptions& options,
                  const std::filesystem::path& outFile, const std::filesystem::path& errFile) {
    std::vector<std::string> argStrings = options.wrapper;
    argStrings.push_back(INKSTEAD_CLI_PATH);
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    auto envStrings = childEnvironment(options);
    std::vector<char*> envp;
    for (auto& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!options.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argStrings[0]);
    return pid;
}

int waitForInkstead(int pid, std::chrono::milliseconds timeout) {
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const int options = timeout.count() > 0 ? WNOHANG : 0;
        const pid_t done = waitpid(pid, &status, options);
        if (done == pid || (done < 0 && errno != EINTR))
            break;
        if (done == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                timeout = {};
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

RunResult runInkstead(const std::vector<std::string>& args, const RunOptions& options) {
    ov::test::TempDir capture;
    const auto outFile = capture.path() / "stdout";
    const auto errFile = capture.path() / "stderr";
    RunResult result;
    result.exitCode =
        waitForInkstead(startInkstead(args, options, outFile, errFile), options.timeout);
    result.out = readAll(outFile);
    result.err = readAll(errFile);
    return result;
}

} // namespace clitest
