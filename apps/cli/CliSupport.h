#pragma once

// What every subcommand of the `inkstead` tool shares: the common options, the exit codes and
// the error that ends a command with one clear message and a hint.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace cli {

/// Exit codes of the tool.
enum ExitCode : int {
    kExitSuccess = 0,       ///< every image written, the command did what it says
    kExitSomeFailed = 1,    ///< some images failed; each is listed with its reason
    kExitUsage = 2,         ///< usage or configuration error
    kExitInterrupted = 130, ///< cancelled by Ctrl-C (SIGINT)
    kExitTerminated = 143,  ///< cancelled by SIGTERM
};

/// Options every command understands (given before or after the subcommand name).
struct CommonOptions {
    /// Storage location (--home, else $INKSTEAD_HOME, else the user's data directory).
    std::filesystem::path home;
    /// Another presets file to read presets from (--presets-file).
    std::filesystem::path presetsFile;
    /// -q: no progress, no chatter; errors still go to standard error.
    bool quiet = false;
    /// -v: say more (each file written, the face a font name resolved to).
    bool verbose = false;
};

/// Ends a command: main() prints "inkstead: <message>" and, when there is one, "hint: <hint>"
/// on standard error, then exits with `code`.
class CliError : public std::runtime_error {
public:
    CliError(int code, const std::string& message, std::string hint = {})
        : std::runtime_error(message), code_(code), hint_(std::move(hint)) {}
    [[nodiscard]] int code() const { return code_; }
    [[nodiscard]] const std::string& hint() const { return hint_; }

private:
    int code_;
    std::string hint_;
};

/// `text` safe to print on a terminal: control characters (C0, DEL and the UTF-8 encoded C1
/// range) are written as escapes ("\n", "\t", "\x1b", "\u009b"), so a name cannot move the
/// cursor, clear the screen or pose as another line.
[[nodiscard]] std::string printable(std::string_view text);
/// printable(`text`) in double quotes.
[[nodiscard]] inline std::string inQuotes(std::string_view text) {
    return "\"" + printable(text) + "\"";
}

/// A system error for a message: "disk full" for a full disk, else the system's own words.
inline std::string errorText(const std::error_code& error) {
    return error == std::errc::no_space_on_device ? "disk full" : error.message();
}

/// The paths listed in `file` (one a line; "-" reads standard input). Empty lines are passed
/// over and a carriage return before the line end is dropped. Throws a usage error when the
/// file cannot be read.
[[nodiscard]] std::vector<std::filesystem::path> readPathList(const std::string& file);

/// Prints `line` on standard output unless -q silenced the command.
void say(const CommonOptions& common, const std::string& line);

/// A usage or configuration error (exit code 2).
inline CliError usageError(const std::string& message, std::string hint = {}) {
    return CliError(kExitUsage, message, std::move(hint));
}

/// Each command file registers its subcommand on the root app. The subcommand's callback
/// stores the command's exit code in `exitCode` (or throws CliError).
void registerExportCommand(CLI::App& app, CommonOptions& common, int& exitCode);
void registerRenderCommand(CLI::App& app, CommonOptions& common, int& exitCode);
void registerPresetsCommand(CLI::App& app, CommonOptions& common, int& exitCode);
void registerWatermarkCommand(CLI::App& app, CommonOptions& common, int& exitCode);
void registerDemoCommand(CLI::App& app, CommonOptions& common, int& exitCode);
void registerFontsCommand(CLI::App& app, CommonOptions& common, int& exitCode);
void registerCompletionCommand(CLI::App& app, CommonOptions& common, int& exitCode);
void registerManifestCommand(CLI::App& app, CommonOptions& common, int& exitCode);

} // namespace cli
