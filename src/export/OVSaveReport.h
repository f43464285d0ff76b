#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

/// An image of a batch that was not written, and why.
struct OVSaveFailure {
    std::size_t index = 0;
    std::filesystem::path source; // empty when the entry's file could not be found
    std::string reason;
};

/// An image of a batch that was written.
struct OVSaveOutput {
    std::size_t index = 0;
    std::filesystem::path source;
    std::filesystem::path output;
    std::vector<std::string> warnings; // what the output leaves out of the source
};

/// What became of one image, reported as soon as it is done.
struct OVSaveImageEvent {
    enum class Kind { Written, Skipped, Failed };
    Kind kind = Kind::Written;
    std::size_t index = 0;
    std::filesystem::path source; // empty when the entry's file could not be found
    std::filesystem::path output; // the file written or left alone; empty for a failure
    std::string reason;           // why the image failed or was skipped
    double seconds = 0;           // time spent on the image
};

/// What a batch did, handed to its completion handler.
struct OVSaveReport {
    std::vector<OVSaveOutput> outputs;   // in index order
    std::vector<OVSaveOutput> skipped;   // existing files left alone (OVConflictPolicy::Skip)
    std::vector<OVSaveFailure> failures; // in index order
    std::size_t notStarted = 0;          // images skipped because the batch was cancelled
    bool cancelled = false;
};
