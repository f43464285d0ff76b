// `inkstead watermark`: add, list, remove and change the watermarks of a preset.

#include "CliSupport.h"
#include "MarkOptions.h"
#include "MarkSummary.h"
#include "PresetStore.h"

#include "inkstead/presets/OVPresetJson.h"
#include "inkstead/watermarks/OVImageWatermark.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <iostream>

using nlohmann::json;

namespace cli {
namespace {

struct WatermarkArgs {
    std::string preset;
    std::string kind;
    std::string text;
    std::string index;
    std::vector<std::string> assignments;
    MarkOptions mark;
    bool json = false;
};

// INDEX as `watermark list` shows it: 1 is drawn first, the highest number on top.
OVWatermarkPtr markAt(const OVPreset& preset, const std::string& index) {
    const auto marks = preset.watermarks();
    std::size_t position = 0;
    const char* end = index.data() + index.size();
    const auto [ptr, error] = std::from_chars(index.data(), end, position);
    if (error != std::errc() || ptr != end)
        throw usageError("INDEX: \"" + index + "\" is not a number",
                         "give the number `inkstead watermark list P` shows");
    if (position < 1 || position > marks.size())
        throw usageError("preset " + inQuotes(preset.name()) + " has no watermark " + index,
                         marks.empty() ? "it has no watermarks"
                                       : "indexes run from 1 to " + std::to_string(marks.size()));
    return marks[position - 1];
}

void add(const CommonOptions& common, WatermarkArgs& args) {
    PresetStore store(common, PresetAccess::Change);
    const auto preset = store.find(args.preset);
    const auto mark = makeMark(args.kind, args.mark, args.text, store.manager().storage());
    preset->addWatermark(mark);
    try {
        store.save();
    } catch (...) {
        mark->removeImage();
        throw;
    }
    std::string line = "Added " + OVWatermarkKindName(*mark) + " mark " +
                       std::to_string(preset->numberOfWatermarks()) + " to " +
                       inQuotes(preset->name()) + ": " + OVWatermarkSummary(*mark);
    say(common, line);
    if (const auto* image = dynamic_cast<const OVImageWatermark*>(mark.get());
        image && image->hasMaxSize() && !common.quiet) {
        const ov::Size picture = image->maxSize();
        const ov::Size relative = image->relativeSize();
        if (relative.width > 0 && relative.width < 1)
            std::cout << "Note: an image mark is never drawn larger than its picture ("
                      << static_cast<int>(picture.width) << " px wide): it reaches the width "
                      << "asked for on photos up to "
                      << static_cast<int>(picture.width / relative.width) << " px wide.\n";
    }
}

void list(const CommonOptions& common, WatermarkArgs& args) {
    PresetStore store(common);
    const auto preset = store.find(args.preset);
    const auto marks = preset->watermarks();
    if (args.json) {
        json out = json::array();
        for (std::size_t i = 0; i < marks.size(); ++i) {
            json entry = json::parse(OVWatermarkJsonString(*marks[i], false));
            entry.erase("picture");
            entry["index"] = i + 1;
            entry["summary"] = OVWatermarkSummary(*marks[i]);
            out.push_back(entry);
        }
        std::cout << out.dump(2) << "\n";
        return;
    }
    if (marks.empty()) {
        std::cout << "Preset " << inQuotes(preset->name()) << " has no watermarks.\n";
        return;
    }
    std::cout << markTable(*preset);
}

void remove(const CommonOptions& common, WatermarkArgs& args) {
    PresetStore store(common, PresetAccess::Change);
    const auto preset = store.find(args.preset);
    const auto mark = markAt(*preset, args.index);
    // The picture goes after the preset without the watermark is saved: a failed save keeps
    // both.
    auto marks = preset->watermarks();
    marks.erase(std::find(marks.begin(), marks.end(), mark));
    preset->setWatermarks(marks);
    store.save();
    mark->removeImage();
    say(common, "Removed " + OVWatermarkKindName(*mark) + " mark " + args.index + " from " +
                    inQuotes(preset->name()));
}

void set(const CommonOptions& common, WatermarkArgs& args) {
    std::vector<std::pair<std::string, std::string>> changes;
    for (const auto& assignment : args.assignments) {
        const auto eq = assignment.find('=');
        if (eq == std::string::npos || eq == 0)
            throw usageError("\"" + assignment + "\" is not KEY=VALUE",
                             "e.g. opacity=0.5 or width=25%");
        changes.emplace_back(assignment.substr(0, eq), assignment.substr(eq + 1));
    }
    // A new picture is written at once; it comes last, so that no other change can fail after
    // it.
    std::stable_partition(changes.begin(), changes.end(),
                          [](const auto& change) { return change.first != "image"; });
    PresetStore store(common, PresetAccess::Change);
    const auto preset = store.find(args.preset);
    const auto mark = markAt(*preset, args.index);
    for (const auto& [key, value] : changes)
        setMarkProperty(*mark, key, value);
    store.save();
    say(common, "Changed " + OVWatermarkKindName(*mark) + " mark " + args.index + " of " +
                    inQuotes(preset->name()) + ": " + OVWatermarkSummary(*mark));
}

const char* kWatermarkFooter = R"TEXT(Examples:
  inkstead watermark add Default text "(c) 2026 Me" --anchor bottom-right --width 25% --color #FFFFFFCC --shadow 0.6
  inkstead watermark add Default image logo.png --anchor top-left --margin 4% --width 15% --opacity 0.8
  inkstead watermark add Default shape --rect 10%,10%,30%,20% --shape circle --color #FF0000 --stroke 6
  inkstead watermark add Default arrow --from 20%,80% --to 45%,55% --color #FFD700 --stroke 12
  inkstead watermark add Default strikethrough --color #FF000080 --stroke 8 --dash 30
  inkstead watermark add Default pixellate --rect 60%,20%,20%,15% --intensity 25
  inkstead watermark list Default
  inkstead watermark set Default 1 opacity=0.5 width=30% anchor=top-right
  inkstead watermark remove Default 2

Percentages refer to the image: a mark lands at the same relative place and size on photos of
any size and orientation. INDEX is the number `watermark list` shows (1 is drawn first).)TEXT";

} // namespace

void registerWatermarkCommand(CLI::App& app, CommonOptions& common, int& exitCode) {
    auto args = std::make_shared<WatermarkArgs>();
    auto* watermark =
        app.add_subcommand("watermark", "Add, list, remove and change the watermarks of a preset");
    watermark->require_subcommand(1);
    watermark->footer(kWatermarkFooter);

    auto add = [&](const char* name, const char* description, std::string footer,
                   void (*run)(const CommonOptions&, WatermarkArgs&), bool writes) {
        auto* command = watermark->add_subcommand(name, description);
        command->footer(std::move(footer));
        addPresetStoreOptions(*command, common, !writes);
        command->callback([&common, &exitCode, args, run] {
            run(common, *args);
            exitCode = kExitSuccess;
        });
        command->add_option("P", args->preset, "Preset name or UUID")->required();
        return command;
    };

    std::string kinds;
    for (const auto& kind : markKindNames())
        kinds += (kinds.empty() ? "" : ", ") + kind;
    auto* addCommand =
        add("add", "Add a watermark on top of a preset's others", kWatermarkFooter, cli::add, true);
    addCommand->add_option("KIND", args->kind, "One of: " + kinds)->required();
    addCommand->add_option("TEXT", args->text,
                           "The text of a text mark (the picture file of an image mark)");
    addMarkOptions(*addCommand, args->mark);

    auto* listCommand = add("list", "List a preset's watermarks, the first drawn first",
                            "Example:\n  inkstead watermark list Default --json", cli::list, false);
    listCommand->add_flag("--json", args->json, "Print a JSON array instead of a table");

    auto* removeCommand = add("remove", "Remove a watermark (and its picture)",
                              "Example:\n  inkstead watermark remove Default 2", cli::remove, true);
    removeCommand->add_option("INDEX", args->index, "Number shown by `watermark list`")->required();

    std::string keys;
    for (const auto& key : markPropertyKeys())
        keys += (keys.empty() ? "" : ", ") + key;
    auto* setCommand =
        add("set", "Change watermark properties",
            "Keys: " + keys +
                "\nValues are written as for the options of `watermark add` (width=25%, "
                "color=#FFFFFF80,\nrect=10%,10%,30%,20%, from=20%,80%, "
                "anchor=top-left...).\n\nExample:\n  inkstead watermark set Default 1 opacity=0.5 "
                "width=30% anchor=top-right",
            cli::set, true);
    setCommand->add_option("INDEX", args->index, "Number shown by `watermark list`")->required();
    setCommand->add_option("KEY=VALUE", args->assignments, "Properties to change")->required();
}

} // namespace cli
