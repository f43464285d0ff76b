// inkstead-app [--home DIR] [FILE|FOLDER...]
//
// The desktop application: opens the given images (folders are searched for images) in the
// window. --home keeps presets, pictures and settings in DIR instead of the user's data folder.

#include "MainWindow.h"
#include "Theme.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

void usage(std::FILE* out) {
    std::fputs("usage: inkstead-app [--home DIR] [FILE|FOLDER...]\n"
               "  --home DIR   keep presets, watermark pictures and settings in DIR\n",
               out);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            usage(stdout);
            return 0;
        }
        if (std::strcmp(arg, "--home") == 0 || std::strncmp(arg, "--home=", 7) == 0) {
            const char* dir = arg[6] == '=' ? arg + 7 : (i + 1 < argc ? argv[++i] : nullptr);
            if (!dir || !*dir) {
                std::fputs("inkstead-app: --home needs a folder\n", stderr);
                usage(stderr);
                return 2;
            }
            std::error_code error;
            std::filesystem::create_directories(dir, error);
            if (!std::filesystem::is_directory(dir, error)) {
                std::fprintf(stderr, "inkstead-app: --home: %s is not a folder\n", dir);
                return 2;
            }
            // Read by the storage of the library and by the application's settings.
            setenv("INKSTEAD_HOME", std::filesystem::absolute(dir).c_str(), 1);
            continue;
        }
        if (std::strncmp(arg, "--", 2) == 0 && arg[2] != '\0') {
            std::fprintf(stderr, "inkstead-app: unknown option %s\n", arg);
            usage(stderr);
            return 2;
        }
        files.emplace_back(arg);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("inkstead-app");
    QApplication::setDesktopFileName("inkstead-app");
    applyDarkTheme(app);
    MainWindow window;
    window.show();
    if (!files.empty())
        window.addFiles(files);
    return QApplication::exec();
}
