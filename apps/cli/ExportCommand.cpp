// `inkstead export INPUT... -o DIR`: watermarked copies of files and folders of photos.

#include "CliSupport.h"
#include "ExportOptions.h"
#include "ExportRun.h"
#include "PresetStore.h"

#include "inkstead/export/OVFilenamePattern.h"

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
};

constexpr const char* kExamples = R"(
Examples:
  inkstead export ~/photos -o out --text "© 2026 Me"
  inkstead export a.jpg b.jpg -o web --preset Web --resize 2048px --quality 85
  inkstead export ~/photos -o out --pattern filename,-,increment --digits 4
  inkstead export ~/photos -o out --dry-run
  inkstead export ~/photos -o out --mirror
  inkstead export ~/photos -o out --json -q > report.json

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

void run(const ExportCommandOptions& options, const CommonOptions& common, int& exitCode) {
    ExportJob job;
    job.inputs = options.inputs;
    job.outputFolder = options.output;
    job.pattern = makePattern(options);
    job.jobs = options.jobs;
    job.quality = encoderQuality(options.settings);
    job.dryRun = options.dryRun;
    job.mirror = options.mirror;
    job.json = options.json;
    job.quiet = common.quiet;

    PresetStore store(common);
    const OVPresetPtr stored = store.findOrFirst(options.settings.preset);
    if (!stored)
        throw usageError("there are no presets", "create one with: inkstead presets create NAME");
    job.preset = makeWorkingPreset(*stored, options.settings);
    exitCode = runExport(job).exitCode;
}

} // namespace

void registerExportCommand(CLI::App& app, CommonOptions& common, int& exitCode) {
    auto options = std::make_shared<ExportCommandOptions>();
    auto* command = app.add_subcommand(
        "export", "Write watermarked copies of photos (files and folders) into a folder");
    command->footer(kExamples);
    command->add_option("INPUT", options->inputs, "Image files and folders (folders are walked)")
        ->required()
        ->type_name("PATH");
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

    command->callback([options, &common, &exitCode] { run(*options, common, exitCode); });
}

} // namespace cli
