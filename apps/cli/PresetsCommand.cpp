// `inkstead presets`: list, show, create, rename, duplicate, delete, export and import presets.

#include "CliSupport.h"
#include "ExportOptions.h"
#include "MarkSummary.h"
#include "MarkValues.h"
#include "PresetStore.h"

#include "inkstead/platform/files/AtomicFile.h"
#include "inkstead/presets/OVPresetJson.h"
#include "inkstead/storage/OVStorage.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;

namespace cli {
namespace {

struct PresetsArgs {
    std::string preset;
    std::string name;
    std::string file;
    bool json = false;
    bool force = false;
    bool replace = false;
    std::string resize;         ///< presets set --resize
    OutputFileSettings output;  ///< presets set --format, --metadata, ...
    std::optional<int> quality; ///< presets set --quality
};

std::vector<OVPresetPtr> listOf(PresetStore& store) {
    return store.manager().presets().value_or(std::vector<OVPresetPtr>{});
}

bool nameTaken(PresetStore& store, const std::string& name, const OVPresetPtr& except = {}) {
    for (const auto& preset : listOf(store))
        if (preset != except && preset->name() == name)
            return true;
    return false;
}

void checkNewName(PresetStore& store, const std::string& name, const OVPresetPtr& except = {}) {
    if (name.empty())
        throw usageError("a preset name cannot be empty");
    if (nameTaken(store, name, except))
        throw usageError("a preset named " + inQuotes(name) + " already exists",
                         "choose another name, or rename that preset first");
}

json summaryJson(const OVPreset& preset, std::size_t index) {
    return {{"index", index + 1},
            {"name", preset.name()},
            {"uuid", preset.uuid().uuidString()},
            {"watermarks", preset.numberOfWatermarks()},
            {"export", OVPresetExportSummary(preset)},
            {"default", index == 0}};
}

void list(const CommonOptions& common, const PresetsArgs& args) {
    PresetStore store(common);
    const auto presets = listOf(store);
    if (args.json) {
        json out = json::array();
        for (std::size_t i = 0; i < presets.size(); ++i)
            out.push_back(summaryJson(*presets[i], i));
        std::cout << out.dump(2) << "\n";
        return;
    }
    if (presets.empty())
        return; // nothing to list; scripts read an empty output
    std::vector<std::vector<std::string>> rows{{"", "#", "NAME", "MARKS", "EXPORT", "UUID"}};
    for (std::size_t i = 0; i < presets.size(); ++i)
        rows.push_back({i == 0 ? "*" : "", std::to_string(i + 1), presets[i]->name(),
                        std::to_string(presets[i]->numberOfWatermarks()),
                        OVPresetExportSummary(*presets[i]), presets[i]->uuid().uuidString()});
    std::cout << formatTable(rows);
    if (!common.quiet)
        std::cout << "(* the default preset: export and render use it without --preset)\n";
}

void show(const CommonOptions& common, const PresetsArgs& args) {
    PresetStore store(common);
    const auto preset = store.find(args.preset);
    if (args.json) {
        std::cout << OVPresetJsonString(*preset, false) << "\n";
        return;
    }
    static const char* sides[] = {"width", "height", "longest-side"};
    const auto side = static_cast<std::size_t>(preset->resizeConstraint());
    const bool percent = preset->resizeMethod() == OVResizeMethodPercentage;
    const double value = preset->resizeValue();
    const bool isDefault = store.indexOf(preset) == 0;
    std::cout << "Preset:           " << printable(preset->name())
              << (isDefault ? " (default)" : "") << "\n"
              << "UUID:             " << preset->uuid().uuidString() << "\n"
              << "Export:           " << OVPresetExportSummary(*preset) << "\n"
              << "Resize:           " << (preset->shouldResize() ? "on" : "off") << "\n"
              << "Resize side:      " << (side < 3 ? sides[side] : "longest-side") << "\n"
              << "Resize method:    " << (percent ? "percentage" : "pixels") << "\n"
              << "Resize value:     "
              << (percent ? OVNumberString(value > 1 ? value : value * 100) + "%"
                          : OVNumberString(value) + "px")
              << "\n"
              << "Strip location:   " << (preset->shouldStripMetadata() ? "yes" : "no") << "\n"
              << "Metadata:         "
              << kOVMetadataPolicyNames[std::min<std::uint64_t>(preset->metadataPolicy(), 3)]
              << "\n"
              << "Format:           "
              << kOVOutputFormatNames[std::min<std::uint64_t>(preset->outputFormat(), 5)] << "\n";
    if (preset->outputQuality() > 0)
        std::cout << "Quality:          " << OVNumberString(preset->outputQuality() * 100) << "\n";
    if (!preset->metadataArtist().empty())
        std::cout << "Artist:           " << printable(preset->metadataArtist()) << "\n";
    if (!preset->metadataCopyright().empty())
        std::cout << "Copyright:        " << printable(preset->metadataCopyright()) << "\n";
    if (preset->numberOfWatermarks() == 0) {
        std::cout << "No watermarks. Add one with: inkstead watermark add "
                  << inQuotes(preset->name()) << " text \"(c) 2026 Me\"\n";
        return;
    }
    std::cout << "Watermarks (drawn in this order, the last on top):\n\n" << markTable(*preset);
}

void create(const CommonOptions& common, const PresetsArgs& args) {
    PresetStore store(common, PresetAccess::Change);
    checkNewName(store, args.name);
    auto preset = std::make_shared<OVPreset>(args.name);
    auto& manager = store.manager();
    manager.insertObject(preset, manager.count());
    store.save();
    say(common,
        "Created preset " + inQuotes(preset->name()) + " (" + preset->uuid().uuidString() + ")");
}

void rename(const CommonOptions& common, const PresetsArgs& args) {
    PresetStore store(common, PresetAccess::Change);
    const auto preset = store.find(args.preset);
    const std::string old = preset->name();
    checkNewName(store, args.name, preset);
    preset->setName(args.name);
    store.save();
    say(common, "Renamed preset " + inQuotes(old) + " to " + inQuotes(args.name));
}

void duplicate(const CommonOptions& common, const PresetsArgs& args) {
    PresetStore store(common, PresetAccess::Change);
    const auto original = store.find(args.preset);
    std::string name = args.name;
    if (name.empty())
        name = store.manager().freePresetName(original->name() + " copy");
    else
        checkNewName(store, name);
    // The copy's image watermarks get pictures of their own; the other kinds are plain data.
    auto copy = original->duplicate();
    copy->setName(name);
    auto& manager = store.manager();
    manager.insertObject(copy, store.indexOf(original) + 1);
    store.save();
    say(common, "Duplicated " + inQuotes(original->name()) + " as " + inQuotes(name) + " (" +
                    copy->uuid().uuidString() + ")");
}

void remove(const CommonOptions& common, const PresetsArgs& args) {
    PresetStore store(common, PresetAccess::Change);
    const auto preset = store.find(args.preset);
    auto& manager = store.manager();
    manager.removeObjectFromPresetsAtIndex(store.indexOf(preset));
    store.save();
    // The pictures go only once the list without the preset is on disk.
    for (const auto& mark : preset->watermarks())
        mark->removeImage();
    say(common, "Deleted preset " + inQuotes(preset->name()));
}

void set(const CommonOptions& common, const PresetsArgs& args) {
    if (args.resize.empty() && args.output.isEmpty() && !args.quality)
        throw usageError("nothing to set", "give --resize SIZE (or none), --strip-location, "
                                           "--keep-location, --format, --quality, --metadata, "
                                           "--artist or --copyright");
    // Read before the store is locked: a malformed value changes nothing.
    const std::optional<ResizeSetting> resize =
        args.resize.empty() ? std::nullopt : std::optional(parseResize(args.resize));
    PresetStore store(common, PresetAccess::Change);
    const auto preset = store.find(args.preset);
    if (resize)
        applyResize(*preset, *resize);
    applyOutputFileSettings(*preset, args.output);
    if (args.quality)
        preset->setOutputQuality(*args.quality / 100.0);
    preset->setShouldSave(false);
    store.save();
    say(common, "Preset " + inQuotes(preset->name()) + ": " + OVPresetExportSummary(*preset));
}

void makeDefault(const CommonOptions& common, const PresetsArgs& args) {
    PresetStore store(common, PresetAccess::Change);
    const auto preset = store.find(args.preset);
    auto& manager = store.manager();
    // The first preset is the one export and render use when none is named.
    manager.removeObjectFromPresetsAtIndex(store.indexOf(preset));
    manager.insertObject(preset, 0);
    store.save();
    say(common, "Preset " + inQuotes(preset->name()) + " is the default");
}

void exportPreset(const CommonOptions& common, const PresetsArgs& args) {
    PresetStore store(common);
    const auto preset = store.find(args.preset);
    const std::string text = OVPresetJsonString(*preset, true) + "\n";
    if (args.file == "-") {
        std::cout << text;
        return;
    }
    std::error_code missing;
    const fs::path folder = fs::absolute(args.file, missing).parent_path();
    if (!fs::is_directory(folder, missing))
        throw usageError("no folder " + folder.string() + " to write " + args.file + " in",
                         "create the folder first, or give another path");
    ov::AtomicFile file(args.file);
    file.write(text);
    const auto committed = file.commit(args.force ? ov::FileWriteMode::ReplaceExisting
                                                  : ov::FileWriteMode::CreateExclusive);
    if (!committed && committed.error().code == std::errc::file_exists)
        throw usageError(args.file + " already exists", "give another name, or --force to "
                                                        "replace it");
    if (!committed)
        throw CliError(kExitSomeFailed,
                       "cannot write " + args.file + ": " + committed.error().code.message());
    say(common, "Exported preset " + inQuotes(preset->name()) + " to " + args.file);
}

std::string readImportText(const std::string& file) {
    if (file == "-") {
        std::ostringstream text;
        text << std::cin.rdbuf();
        return text.str();
    }
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        throw usageError("no file at " + file);
    if (fs::file_size(file, error) > kOVPresetJsonMaxBytes)
        throw usageError(file + " is too large to be a preset file");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw usageError("cannot read " + file);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void importPreset(const CommonOptions& common, const PresetsArgs& args) {
    const std::string text = readImportText(args.file);
    PresetStore store(common, PresetAccess::Change);
    auto read = OVPresetFromJson(text);
    if (!read) {
        if (read.error().code == std::errc::not_supported)
            throw usageError(read.error().message, "this inkstead reads version 1");
        throw usageError(args.file + ": " + read.error().message,
                         "see docs/preset-json.md for the layout; make a preset file with "
                         "`inkstead presets export P FILE.json`");
    }
    OVImportedPreset imported = std::move(read).value();
    auto& preset = *imported.preset;
    if (!args.name.empty())
        preset.setName(args.name);
    if (!args.replace && !args.name.empty())
        checkNewName(store, args.name);
    auto done = store.manager().importPreset(imported, args.replace);
    if (!done)
        throw CliError(kExitSomeFailed, done.error().message);
    try {
        store.save();
    } catch (...) {
        imported.removeStoredPictures();
        throw;
    }
    // The replaced preset's pictures go only once the list without it is on disk.
    const auto& import = done.value();
    OVPresetManager::removeReplacedPictures(import, preset);
    std::string line = std::string(import.replaced ? "Replaced preset " : "Imported preset ") +
                       inQuotes(preset.name()) + " (" + preset.uuid().uuidString() + ")";
    if (import.newIdentity)
        line += "; a preset with its UUID exists, so it got a new one";
    if (!import.recordedName.empty())
        line += "; renamed from " + inQuotes(import.recordedName) + ", which is taken";
    say(common, line);
}

const char* kPresetsFooter = R"TEXT(Examples:
  inkstead presets list
  inkstead presets show Default
  inkstead presets create "Web export"
  inkstead presets rename "Web export" Web
  inkstead presets duplicate Web --name "Web (square logo)"
  inkstead presets export Web web.json
  inkstead presets import web.json --replace
  inkstead presets set Web --resize 2048px --strip-location
  inkstead presets default Web
  inkstead presets delete "Web (square logo)"

P is a preset name or UUID (see `inkstead presets list`).)TEXT";

} // namespace

void registerPresetsCommand(CLI::App& app, CommonOptions& common, int& exitCode) {
    auto args = std::make_shared<PresetsArgs>();
    auto* presets = app.add_subcommand("presets", "List, show, create, change, rename, duplicate, "
                                                  "delete, export and import presets");
    presets->require_subcommand(1);
    presets->footer(kPresetsFooter);

    auto add = [&](const char* name, const char* description, const char* example,
                   void (*run)(const CommonOptions&, const PresetsArgs&), bool writes,
                   bool takesPreset = true) {
        auto* command = presets->add_subcommand(name, description);
        command->footer(std::string("Example:\n  ") + example);
        addPresetStoreOptions(*command, common, !writes);
        if (takesPreset)
            command->add_option("P", args->preset, "Preset name or UUID")->required();
        command->callback([&common, &exitCode, args, run] {
            run(common, *args);
            exitCode = kExitSuccess;
        });
        return command;
    };

    auto* listCommand = add("list", "List the presets (the first is the default)",
                            "inkstead presets list --json", list, false, false);
    listCommand->add_flag("--json", args->json, "Print a JSON array instead of a table");

    auto* showCommand = add("show", "Show a preset, its export settings and its watermarks",
                            "inkstead presets show Default", show, false);
    showCommand->add_flag("--json", args->json, "Print the preset's JSON form (without pictures)");

    auto* createCommand = add("create", "Create an empty preset at the end of the list",
                              "inkstead presets create \"Web export\"", create, true, false);
    createCommand->add_option("NAME", args->name, "Name of the new preset")->required();

    auto* renameCommand =
        add("rename", "Rename a preset", "inkstead presets rename Default Web", rename, true);
    renameCommand->add_option("NAME", args->name, "New name")->required();

    auto* duplicateCommand =
        add("duplicate", "Copy a preset with its watermarks (placed right after it)",
            "inkstead presets duplicate Web --name \"Web dark\"", duplicate, true);
    duplicateCommand->add_option("--name", args->name, "Name of the copy (default: \"P copy\")");

    add("delete", "Delete a preset and its watermark pictures",
        "inkstead presets delete \"Web dark\"", remove, true);

    auto* exportCommand =
        add("export", "Write a preset as JSON (pictures included) to share or version it",
            "inkstead presets export Web web.json", exportPreset, false);
    exportCommand->add_option("FILE", args->file, "JSON file to write, - for standard output")
        ->required();
    exportCommand->add_flag("--force", args->force, "Replace FILE when it exists");

    auto* importCommand =
        add("import", "Add a preset from its JSON form (a new UUID if the same one exists)",
            "inkstead presets import web.json", importPreset, true, false);
    importCommand->add_option("FILE", args->file, "JSON file to read, - for standard input")
        ->required();
    importCommand->add_option("--name", args->name, "Name of the imported preset");
    importCommand->add_flag("--replace", args->replace,
                            "Replace the preset of the same name (keeping its place and UUID) "
                            "instead of adding a copy");

    auto* setCommand =
        add("set", "Change a preset's export settings",
            "inkstead presets set Web --resize long:2048 --strip-location", set, true);
    setCommand
        ->add_option("--resize", args->resize,
                     "Output size: 2048px (longest side), 50%, width:1600, height:1200, "
                     "long:2048, or none (original size)")
        ->type_name("SIZE");
    addOutputFileOptions(*setCommand, args->output);
    setCommand
        ->add_option("--quality", args->quality,
                     "Quality of lossy outputs, 1 (smallest) to 100 (best)")
        ->check(CLI::Range(1, 100));

    add("default", "Make a preset the default (export and render use it without --preset)",
        "inkstead presets default Web", makeDefault, true);
}

} // namespace cli
