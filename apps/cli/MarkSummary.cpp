#include "MarkSummary.h"

#include "CliSupport.h"
#include "ProgressBar.h"

#include "inkstead/watermarks/OVWatermarkSummary.h"

#include <algorithm>

namespace cli {

std::string formatTable(const std::vector<std::vector<std::string>>& rawRows) {
    std::vector<std::vector<std::string>> rows = rawRows;
    for (auto& row : rows)
        for (auto& cell : row)
            cell = printable(cell);
    std::vector<std::size_t> widths;
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.push_back(0);
            widths[i] = std::max(widths[i], displayLength(row[i]));
        }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - displayLength(row[i]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
    return out;
}

std::string markTable(const OVPreset& preset) {
    std::vector<std::vector<std::string>> rows{{"INDEX", "KIND", "TITLE", "PLACEMENT AND STYLE"}};
    std::size_t index = 1;
    for (const auto& mark : preset.watermarks())
        rows.push_back({std::to_string(index++), OVWatermarkKindName(*mark), mark->title(),
                        OVWatermarkSummary(*mark)});
    return formatTable(rows);
}

} // namespace cli
