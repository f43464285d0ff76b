#include "CliSupport.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace cli {

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    char escape[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7f) {
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        } else if (byte == 0xc2 && next >= 0x80 && next <= 0x9f) {
            std::snprintf(escape, sizeof escape, "\\u%04x", next);
            out += escape;
            ++i;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

void say(const CommonOptions& common, const std::string& line) {
    if (!common.quiet)
        std::cout << line << "\n";
}

std::vector<std::filesystem::path> readPathList(const std::string& file) {
    std::ifstream opened;
    if (file != "-") {
        opened.open(file);
        if (!opened)
            throw usageError("--files-from: cannot read " + inQuotes(file),
                             "give a text file with one path a line, or - for standard input");
    }
    std::istream& in = file == "-" ? std::cin : opened;
    std::vector<std::filesystem::path> paths;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            paths.emplace_back(line);
    }
    return paths;
}

} // namespace cli
