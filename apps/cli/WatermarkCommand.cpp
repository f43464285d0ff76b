// PLACEHOLDER: replaced by the real `inkstead watermark` command.
#include "CliSupport.h"

void cli::registerWatermarkCommand(CLI::App& app, CommonOptions&, int&) {
    app.add_subcommand("watermark", "(not built yet)")->callback([] {
        throw usageError("the watermark command is not built yet");
    });
}
