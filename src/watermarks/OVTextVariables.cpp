#include "inkstead/watermarks/OVTextVariables.h"

#include "inkstead/platform/imageio/CaptureMetadata.h"
#include "inkstead/platform/log/Log.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>

namespace {

constexpr std::string_view kDateName = "date";
constexpr const char* kDefaultDateFormat = "%Y-%m-%d";
// Longest date text made; a longer format gives what fits.
constexpr std::size_t kMaxDateText = 256;

void reportUnknown(std::string_view variable) {
    static std::mutex mutex;
    static std::set<std::string, std::less<>> reported;
    std::lock_guard lock(mutex);
    if (reported.insert(std::string(variable)).second)
        ov::log("Unknown text variable {" + std::string(variable) + "} left as it is written.");
}

std::string safeForFilename(std::string value) {
    for (char& c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || std::string_view("/\\:*?\"<>|").find(c) != std::string::npos)
            c = '_';
    }
    if (!value.empty() && value.find_first_not_of('.') == std::string::npos)
        value = "_";
    return value;
}

std::optional<std::tm> fileDate(const std::filesystem::path& file) {
    std::error_code error;
    if (file.empty())
        return std::nullopt;
    const auto written = std::filesystem::last_write_time(file, error);
    if (error)
        return std::nullopt;
    const auto system = std::chrono::file_clock::to_sys(written);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(system);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return std::nullopt;
    return local;
}

std::string whole(double value) {
    return std::to_string(static_cast<long long>(value));
}

} // namespace

OVTextVariables OVTextVariables::forImage(const ov::Properties& properties,
                                          const std::filesystem::path& file, ov::Size size,
                                          std::int64_t counter) {
    const ov::CaptureMetadata metadata = ov::captureMetadata(properties);
    OVTextVariables variables;
    variables.setValue("filename", file.filename().string());
    variables.setValue("name", file.stem().string());
    variables.setDate(metadata.captureDate ? metadata.captureDate : fileDate(file));
    variables.setValue("camera", metadata.camera);
    variables.setValue("lens", metadata.lens);
    variables.setValue("iso", metadata.iso);
    variables.setValue("exposure", metadata.exposure);
    variables.setValue("aperture", metadata.aperture);
    variables.setValue("focal", metadata.focal);
    variables.setValue("artist", metadata.artist);
    variables.setValue("copyright", metadata.copyright);
    variables.setValue("width", size.width > 0 ? whole(size.width) : std::string());
    variables.setValue("height", size.height > 0 ? whole(size.height) : std::string());
    variables.setValue("counter", std::to_string(counter));
    return variables;
}

const std::vector<std::string_view>& OVTextVariables::names() {
    static const std::vector<std::string_view> list{
        "filename", "name",  "date",   "camera",    "lens",  "iso",    "exposure",
        "aperture", "focal", "artist", "copyright", "width", "height", "counter"};
    return list;
}

bool OVTextVariables::mayHoldVariables(std::string_view text) {
    const auto open = text.find('{');
    return open != std::string_view::npos && text.find('}', open) != std::string_view::npos;
}

void OVTextVariables::setValue(std::string_view name, std::string value) {
    values_.insert_or_assign(std::string(name), std::move(value));
}

std::optional<std::string> OVTextVariables::value(std::string_view variable) const {
    const auto colon = variable.find(':');
    const std::string_view name = variable.substr(0, colon);
    if (name == kDateName) {
        const std::string format = colon == std::string_view::npos
                                       ? std::string(kDefaultDateFormat)
                                       : std::string(variable.substr(colon + 1));
        if (!date_ || format.empty())
            return std::string();
        char buffer[kMaxDateText];
        const std::size_t length = std::strftime(buffer, sizeof buffer, format.c_str(), &*date_);
        return std::string(buffer, length);
    }
    if (colon != std::string_view::npos ||
        std::find(names().begin(), names().end(), name) == names().end())
        return std::nullopt;
    const auto found = values_.find(name);
    return found == values_.end() ? std::string() : found->second;
}

std::string OVTextVariables::expand(std::string_view text, bool forFilename) const {
    std::string result;
    result.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        const auto open = text.find('{', position);
        const auto close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) {
            result.append(text.substr(position));
            break;
        }
        // The innermost "{": "{{name}" keeps its first brace as text.
        const auto inner = text.rfind('{', close);
        result.append(text.substr(position, inner - position));
        const std::string_view variable = text.substr(inner + 1, close - inner - 1);
        if (auto filled = value(variable)) {
            result += forFilename ? safeForFilename(std::move(*filled)) : *filled;
        } else {
            reportUnknown(variable);
            result.append(text.substr(inner, close - inner + 1));
        }
        position = close + 1;
    }
    return result;
}

std::string OVTextVariables::expand(std::string_view text) const {
    return expand(text, false);
}

std::string OVTextVariables::expandForFilename(std::string_view text) const {
    return expand(text, true);
}
