#pragma once

#include "inkstead/platform/log/Result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

/// What became of one image of an export run, as a manifest records it.
enum class OVManifestStatus {
    Done,    ///< written
    Skipped, ///< its output existed and was left alone
    Failed,  ///< not written; `reason` says why
};

/// One line of a manifest.
struct OVManifestRecord {
    OVManifestStatus status = OVManifestStatus::Done;
    std::string input;  ///< the source, as an absolute path
    std::string output; ///< the file written or left alone; empty for a failure
    std::uint64_t inputBytes = 0;
    std::uint64_t outputBytes = 0;
    double seconds = 0; ///< time spent on the image
    std::string reason; ///< why it failed or was skipped

    [[nodiscard]] bool isFinished() const { return status != OVManifestStatus::Failed; }
};

/// The comment line a new manifest starts with.
inline constexpr std::string_view kOVManifestHeader =
    "# inkstead manifest: status input output input-bytes output-bytes seconds reason\n";

/// The text of a record: tab-separated fields (status, input, output, input bytes, output
/// bytes, seconds, reason) and a newline. Tabs, newlines and backslashes inside a field are
/// written as \t, \n, \r and \\.
[[nodiscard]] std::string OVManifestLine(const OVManifestRecord& record);
/// The record of one line (without its newline); nothing for a malformed line.
[[nodiscard]] std::optional<OVManifestRecord> OVParseManifestLine(std::string_view line);

/// The records of a manifest file, in file order, and how many lines could not be read (a last
/// line cut short by a killed writer, lines damaged otherwise). Comment lines start with '#'.
struct OVManifestContents {
    std::vector<OVManifestRecord> records;
    std::size_t damagedLines = 0;
};
/// Reads a manifest; the error carries the system's code when the file cannot be read.
[[nodiscard]] ov::Result<OVManifestContents> OVReadManifest(const std::filesystem::path& file);

/// A manifest that a run appends to as its images are done, so that a run that is killed or
/// fails can be run again and do only what is left.
///
/// Each record is appended with a single write to a file opened for appending, so records of
/// threads and of processes that share the file never mix on a local file system (on network
/// file systems give each task its own manifest and merge them). A line that a killed writer
/// left unfinished is closed with a newline when the manifest is opened again, and read as
/// damaged. Thread-safe.
class OVExportManifest {
public:
    /// Opens `file` for appending, creating it (with a header comment) when missing, and reads
    /// the records it already holds. The error carries the system's code when that fails.
    [[nodiscard]] static ov::Result<std::unique_ptr<OVExportManifest>>
    open(const std::filesystem::path& file);
    /// Reads `file` without opening it for writing (a missing file is an empty manifest):
    /// `append` fails on it.
    [[nodiscard]] static ov::Result<std::unique_ptr<OVExportManifest>>
    read(const std::filesystem::path& file);
    ~OVExportManifest();
    OVExportManifest(const OVExportManifest&) = delete;
    OVExportManifest& operator=(const OVExportManifest&) = delete;

    /// True when an earlier run recorded `input` as written or skipped (and no later failure).
    [[nodiscard]] bool isFinished(const std::string& input) const;
    /// Lines of the file that could not be read when it was opened.
    [[nodiscard]] std::size_t damagedLines() const { return damaged_; }

    /// Appends a record; the error carries the system's code when the write failed.
    [[nodiscard]] ov::Result<void> append(const OVManifestRecord& record);

private:
    OVExportManifest() = default;
    void load(const OVManifestContents& contents);
    int fd_ = -1;
    std::size_t damaged_ = 0;
    std::unordered_map<std::string, bool> finished_; // by input, from the earlier runs
    std::mutex mutex_;
};
