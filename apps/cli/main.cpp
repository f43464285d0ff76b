// The inkstead command. For now it has one subcommand, `demo [DIR]`, which draws a test picture
// through the graphics layer into DIR/demo.png (DIR defaults to "demo-output").

#include "DemoPicture.h"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    if (argc < 2 || std::string_view(argv[1]) != "demo" || argc > 3) {
        std::fprintf(stderr, "usage: inkstead demo [DIR]\n");
        return 2;
    }
    const std::filesystem::path directory = argc == 3 ? argv[2] : "demo-output";
    const std::filesystem::path file = writeDemoPicture(directory);
    if (file.empty()) {
        std::fprintf(stderr, "inkstead: cannot write %s\n", (directory / "demo.png").c_str());
        return 1;
    }
    std::printf("%s\n", file.c_str());
    return 0;
}
