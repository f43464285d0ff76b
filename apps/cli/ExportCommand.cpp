// `inkstead export INPUT... -o DIR`: watermarked copies of files and folders of photos.

#include "CliSupport.h"
#include "ExportOptions.h"
#include "ExportRun.h"
#include "PresetStore.h"

#include "inkstead/export/OVFilenamePattern.h"

#include <charconv>
#include <memory>

namespace cli {
namespace {

struct ExportCommandOptions {
    std::vector<std::filesystem::path> inputs;
    std::filesystem::path output;
    OutputOptions settings;
    std::string pattern;
    std::optional<std::int64_t> digits;
    std::string dateStyle;
    std::size_t jobs = 0;
    bool dryRun = false;
    bool json = false;
    bool mirror = false;
    std::string filesFrom;
    std::string onConflict = "unique";
    bool conflictGiven = false;
    bool includeOutputs = false;
    std::string shard;
    std::filesystem::path manifest;
};

constexpr const char* kExamples = R"(
Examples:
  inkstead export ~/photos -o out --text "© 2026 Me"
  inkstead export a.jpg b.jpg -o web --preset Web --resize 2048px --quality 85
  inkstead export ~/photos -o out --pattern filename,-,increment --digits 4
  inkstead export ~/photos -o out --dry-run
  inkstead export ~/photos -o out --mirror
  inkstead export ~/photos -o out --json -q > report.json
  inkstead export ~/photos -o ~/photos            (beside the originals)
  find . -name '*.jpg' | inkstead export --files-from - -o out
  inkstead export --files-from list.txt -o out --shard 3/8 --manifest m-3.txt
  inkstead export --files-from list.txt -o out --shard auto/8   (in an array task)

Exit status: 0 every image written, 1 some images failed (each listed), 2 usage or
configuration error, 130 cancelled with Ctrl-C.)";

std::shared_ptr<OVFilenamePattern> makePattern(const ExportCommandOptions& options) {
    if (options.pattern.empty())
        return nullptr;
    auto pattern = OVFilenamePattern::pattern();
    pattern->setTokens(parsePatternTokens(options.pattern));
    if (options.digits)
        pattern->setNumberOfDigits(*options.digits);
    if (!options.dateStyle.empty())
        pattern->setDateStyle(parseDateStyle(options.dateStyle));
    return pattern;
}

OVConflictPolicy conflictPolicy(const std::string& name) {
    if (name == "skip")
        return OVConflictPolicy::Skip;
    if (name == "overwrite")
        return OVConflictPolicy::Overwrite;
    return OVConflictPolicy::Unique;
}

std::size_t parseCount(std::string_view text, std::string_view whole) {
    std::size_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value == 0)
        throw usageError("--shard " + std::string(whole) + ": \"" + std::string(text) +
                             "\" is not a positive whole number",
                         "write K/N with 1 <= K <= N, e.g. --shard 3/8, or auto/N");
    return value;
}

// "K/N", or "auto/N" with K from the scheduler's array task (see OVShard::fromEnvironment).
OVShard parseShard(const std::string& text) {
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        throw usageError("--shard " + text + ": no \"/\"",
                         "write K/N with 1 <= K <= N, e.g. --shard 3/8, or auto/N");
    const std::string task = text.substr(0, slash);
    const std::size_t count = parseCount(std::string_view(text).substr(slash + 1), text);
    if (task == "auto") {
        const auto shard = OVShard::fromEnvironment(count);
        if (shard)
            return shard.value();
        throw usageError("--shard " + text + ": " + shard.error().message,
                         "run it as a Slurm array task (sbatch --array=1-" + std::to_string(count) +
                             ") or a Kubernetes Indexed Job, or give the task as K/N");
    }
    const std::size_t index = parseCount(task, text);
    if (index > count)
        throw usageError("--shard " + text + ": task " + task + " of only " + std::to_string(count),
                         "write K/N with 1 <= K <= N");
    return {index, count};
}

void run(const ExportCommandOptions& options, const CommonOptions& common, int& exitCode) {
    ExportJob job;
    job.inputs = options.inputs;
    if (!options.filesFrom.empty())
        for (auto& path : readPathList(options.filesFrom))
            job.inputs.push_back(std::move(path));
    if (!options.shard.empty())
        job.shard = parseShard(options.shard);
    job.manifest = options.manifest;
    job.conflict = conflictPolicy(options.onConflict);
    // Names from the whole list are fixed, so a file under one is an earlier attempt's output
    // (or the user's) and stays; a _Watermarked_ name would differ from task to task.
    if (namesFromList(job) && !options.conflictGiven)
        job.conflict = OVConflictPolicy::Skip;
    job.includeOutputs = options.includeOutputs;
    job.outputFolder = options.output;
    job.pattern = makePattern(options);
    job.jobs = options.jobs;
    job.quality = encoderQuality(options.settings);
    job.dryRun = options.dryRun;
    job.mirror = options.mirror;
    job.json = options.json;
    job.quiet = common.quiet;
    job.verbose = common.verbose;

    PresetStore store(common);
    const OVPresetPtr stored = store.findOrFirst(options.settings.preset);
    job.preset = makeWorkingPreset(*stored, options.settings);
    exitCode = runExport(std::move(job)).exitCode;
}

} // namespace

void registerExportCommand(CLI::App& app, CommonOptions& common, int& exitCode) {
    auto options = std::make_shared<ExportCommandOptions>();
    auto* command = app.add_subcommand(
        "export", "Write watermarked copies of photos (files and folders) into a folder");
    command->footer(kExamples);
    command
        ->add_option("INPUT", options->inputs,
                     "Image files and folders (folders are walked); after --, names that "
                     "start with a dash")
        ->type_name("PATH");
    command
        ->add_option("--files-from", options->filesFrom,
                     "Read more inputs from FILE, one path a line (- for standard input)")
        ->type_name("FILE");
    command
        ->add_option("--on-conflict", options->onConflict,
                     "When an output's name is taken: unique (a _Watermarked_<n> name), skip "
                     "(leave the file, report it) or overwrite (replace it once the new one is "
                     "complete)")
        ->check(CLI::IsMember({"unique", "skip", "overwrite"}))
        ->each([options](const std::string&) { options->conflictGiven = true; })
        ->capture_default_str();
    command
        ->add_option("--shard", options->shard,
                     "Export only share K of N of the input list (K/N, or auto/N to take K "
                     "from SLURM_ARRAY_TASK_ID or JOB_COMPLETION_INDEX); names come from the "
                     "whole list, and an existing output is skipped unless --on-conflict says "
                     "otherwise")
        ->type_name("K/N");
    command
        ->add_option("--manifest", options->manifest,
                     "Record each image in FILE as it is done; a rerun with it exports only what "
                     "is not done yet (combine the files with: inkstead manifest merge)")
        ->type_name("FILE");
    command->add_flag("--include-outputs", options->includeOutputs,
                      "Stamp files that an earlier export wrote too (they carry its mark and "
                      "are skipped otherwise)");
    command->add_option("-o,--output", options->output, "Output folder (created when missing)")
        ->required()
        ->type_name("DIR");
    auto* pattern =
        command
            ->add_option(
                "--pattern", options->pattern,
                "Name outputs by tokens: filename, date, increment, '-', any other text literally "
                "(e.g. filename,-,increment)")
            ->type_name("TOKENS");
    command->add_option("--digits", options->digits, "Minimum digits of the running number")
        ->check(CLI::Range(1, 12))
        ->needs(pattern);
    command->add_option("--date-style", options->dateStyle, "Date token style: short, medium, long")
        ->check(CLI::IsMember({"short", "medium", "long"}))
        ->needs(pattern);
    command
        ->add_option("-j,--jobs", options->jobs, "Images in flight at once (default: processors)")
        ->check(CLI::Range(1, 256));
    command->add_flag("-n,--dry-run", options->dryRun,
                      "Print the planned output names and the preset; write nothing");
    command->add_flag("--json", options->json, "Print a JSON report on standard output");
    command->add_flag("--mirror", options->mirror,
                      "Recreate the input folders' structure below the output folder");
    addOutputOptions(*command, options->settings);
    addStoreOptions(*command, common);

    command->callback([options, &common, &exitCode] {
        if (options->inputs.empty() && options->filesFrom.empty())
            throw usageError("no inputs given",
                             "name image files or folders, or give --files-from FILE");
        run(*options, common, exitCode);
    });
}

} // namespace cli
