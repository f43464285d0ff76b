#pragma once

// The presets a command works on: the user's storage (or the one --home / INKSTEAD_HOME names),
// or another presets file given with --presets-file.

#include "CliSupport.h"

#include "inkstead/presets/OVPresetManager.h"

#include <memory>
#include <string_view>

namespace cli {

/// What a command does with the presets it opens.
enum class PresetAccess {
    Read,   ///< looks them up only
    Change, ///< changes and saves them
};

class PresetStore {
public:
    /// Opens the store the common options name: the storage in --home's folder (else the one
    /// INKSTEAD_HOME or the user's data folder holds), or, read-only, the presets of the file
    /// --presets-file names. Throws CliError (exit 2) when the file cannot be read as a presets
    /// file.
    ///
    /// The storage is loaded under its lock. For a change the lock is kept until the store goes,
    /// so commands that change presets at the same time take turns, each loading what the one
    /// before it saved.
    explicit PresetStore(const CommonOptions& common, PresetAccess access = PresetAccess::Read);
    ~PresetStore();
    PresetStore(const PresetStore&) = delete;
    PresetStore& operator=(const PresetStore&) = delete;

    [[nodiscard]] OVPresetManager& manager();

    /// The preset with this UUID, else the first with exactly this name. Throws CliError (exit 2)
    /// naming the available presets when there is none.
    [[nodiscard]] OVPresetPtr find(std::string_view nameOrUUID) const;
    /// find(), or the first preset when `nameOrUUID` is empty.
    [[nodiscard]] OVPresetPtr findOrFirst(std::string_view nameOrUUID) const;
    /// Index of `preset` in the list (the preset must be listed).
    [[nodiscard]] std::size_t indexOf(const OVPresetPtr& preset) const;

    /// Writes the list and waits until it is on disk. Throws CliError when it cannot be written
    /// (or when the store was opened from --presets-file, which is read-only).
    void save();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

/// Registers --home DIR, --presets-file FILE (unless `withPresetsFile` is false: commands that
/// change presets cannot write to another file) and -q on `command`, storing into `common`.
void addPresetStoreOptions(CLI::App& command, CommonOptions& common, bool withPresetsFile = true);

} // namespace cli
