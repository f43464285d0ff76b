// PLACEHOLDER: replaced by the real `inkstead demo` command (a demo export).
#include "CliSupport.h"
#include "DemoPicture.h"

void cli::registerDemoCommand(CLI::App& app, CommonOptions&, int& exitCode) {
    auto* demo = app.add_subcommand("demo", "Draws a demo picture");
    static std::string directory = "demo-output";
    demo->add_option("DIR", directory);
    demo->callback([&exitCode] {
        const auto file = writeDemoPicture(directory);
        if (file.empty())
            throw CliError(kExitSomeFailed, "cannot write the demo picture");
        std::printf("%s\n", file.c_str());
        exitCode = kExitSuccess;
    });
}
