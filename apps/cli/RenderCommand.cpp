// `inkstead render INPUT OUTPUT`: one watermarked image.

#include "CliSupport.h"
#include "ExportOptions.h"
#include "Interrupt.h"
#include "PresetStore.h"

#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/export/OVUniqueFilename.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace cli {
namespace {

struct RenderCommandOptions {
    fs::path input;
    fs::path output;
    OutputOptions settings;
    bool force = false;
};

constexpr const char* kExamples = R"(
Examples:
  inkstead render photo.jpg photo-marked.jpg
  inkstead render photo.heic web.jpg --resize long:1600 --quality 80
  inkstead render photo.jpg out.png --text "© 2026 Me" --anchor bottom-left --force

OUTPUT's extension picks the file type (jpg, png, tif, webp, heic, avif, gif, jxl); without
one the preset's format (by default the source's type) is written. An existing OUTPUT is only
replaced with --force. OUTPUT - writes the image to standard output in the preset's format:
  inkstead render photo.jpg - | other-tool)";

void removeQuietly(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

bool toStandardOutput(const RenderCommandOptions& options) {
    return options.output == "-";
}

void checkPaths(const RenderCommandOptions& options, std::string& type) {
    std::error_code ec;
    if (!fs::exists(options.input, ec))
        throw usageError("no such file: " + options.input.string());
    const std::string sourceType = ov::ImageSource::typeOfFile(options.input);
    if (sourceType.empty())
        throw CliError(kExitSomeFailed,
                       options.input.string() + " is not an image inkstead can read");
    if (toStandardOutput(options)) {
        if (::isatty(STDOUT_FILENO))
            throw usageError("standard output is a terminal; the image would fill it with bytes",
                             "redirect it: inkstead render IN - > out.jpg, or pipe it");
        return; // the preset's format, else the source's type
    }
    if (fs::is_directory(options.output, ec))
        throw usageError(options.output.string() + " is a folder",
                         "give the output file's name, or use: inkstead export INPUT -o FOLDER");
    if (!options.force && fs::exists(fs::symlink_status(options.output, ec)))
        throw usageError(options.output.string() + " already exists", "use --force to replace it");
    if (options.output.has_extension()) {
        type = OVImageTypeForExtension(options.output);
        if (type.empty())
            throw usageError("unknown output type " + options.output.extension().string(),
                             "use .jpg, .png, .tif, .webp, .heic, .avif, .gif or .jxl");
    }
    fs::create_directories(fs::absolute(options.output).parent_path(), ec);
}

CliError interrupted() {
    return CliError(interruptedExitCode(), "interrupted; nothing was written");
}

// Renders into a private temporary file named after `name` in `folder` (encoders write files);
// throws, leaving nothing, when the render fails or Ctrl-C came meanwhile.
fs::path renderToTemporary(const fs::path& input, OVPipelineRenderer& renderer,
                           const fs::path& folder, const fs::path& name,
                           const InterruptWatcher& watcher) {
    const fs::path temporary = OVTemporaryFilePath(folder, name.filename().string());
    const std::string error = renderer.saveImage(input, {}, temporary);
    if (error.empty() && !watcher.interrupted())
        return temporary;
    removeQuietly(temporary);
    if (!error.empty())
        throw CliError(kExitSomeFailed, input.string() + ": " + error);
    throw interrupted();
}

void writeToStandardOutput(const RenderCommandOptions& options, OVPipelineRenderer& renderer,
                           const InterruptWatcher& watcher) {
    std::error_code ec;
    const fs::path temporary = renderToTemporary(
        options.input, renderer, fs::temp_directory_path(ec), options.input, watcher);
    std::ifstream in(temporary, std::ios::binary);
    std::cout << in.rdbuf();
    std::cout.flush();
    in.close();
    removeQuietly(temporary);
    if (!std::cout)
        throw CliError(kExitSomeFailed, "cannot write the image to standard output");
}

void run(const RenderCommandOptions& options, const CommonOptions& common, int& exitCode) {
    std::string type;
    checkPaths(options, type);

    PresetStore store(common);
    const OVPresetPtr stored = store.findOrFirst(options.settings.preset);
    const OVPresetPtr working = makeWorkingPreset(*stored, options.settings);
    const auto renderer = OVPipelineRenderer::rendererWithPreset(working);
    renderer->setQuality(encoderQuality(options.settings));
    renderer->setOutputType(type);

    // Ctrl-C lets the render finish, then removes what it wrote: no partial file either way.
    InterruptWatcher watcher([] {});
    if (toStandardOutput(options)) {
        writeToStandardOutput(options, *renderer, watcher);
        exitCode = kExitSuccess;
        return;
    }
    const fs::path output = fs::absolute(options.output);
    if (!options.force) {
        // Written beside its name and moved into place without replacing anything, so a file
        // that appeared meanwhile is kept.
        const std::string error = renderer->saveImage(options.input, {}, output);
        if (!error.empty())
            throw CliError(kExitSomeFailed, options.input.string() + ": " + error);
        if (watcher.interrupted()) {
            removeQuietly(output);
            throw interrupted();
        }
    } else {
        const fs::path temporary =
            renderToTemporary(options.input, *renderer, output.parent_path(), output, watcher);
        std::error_code ec;
        fs::rename(temporary, output, ec); // replaces the old file in one step
        if (ec) {
            removeQuietly(temporary);
            throw CliError(kExitSomeFailed, options.input.string() + ": " + ec.message());
        }
    }
    if (!common.quiet)
        std::fprintf(stderr, "Wrote %s\n", options.output.c_str());
    exitCode = kExitSuccess;
}

} // namespace

void registerRenderCommand(CLI::App& app, CommonOptions& common, int& exitCode) {
    auto options = std::make_shared<RenderCommandOptions>();
    auto* command = app.add_subcommand("render", "Write one watermarked image");
    command->footer(kExamples);
    command->add_option("INPUT", options->input, "The photo")->required()->type_name("FILE");
    command->add_option("OUTPUT", options->output, "The file to write, - for standard output")
        ->required()
        ->type_name("FILE");
    command->add_flag("-f,--force", options->force, "Replace OUTPUT when it exists");
    addOutputOptions(*command, options->settings);
    addStoreOptions(*command, common);
    command->callback([options, &common, &exitCode] { run(*options, common, exitCode); });
}

} // namespace cli
