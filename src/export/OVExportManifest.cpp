#include "inkstead/export/OVExportManifest.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace {

std::string_view statusName(OVManifestStatus status) {
    switch (status) {
    case OVManifestStatus::Done:
        return "done";
    case OVManifestStatus::Skipped:
        return "skipped";
    case OVManifestStatus::Failed:
        return "failed";
    }
    return "failed";
}

std::optional<OVManifestStatus> statusOf(std::string_view name) {
    if (name == "done")
        return OVManifestStatus::Done;
    if (name == "skipped")
        return OVManifestStatus::Skipped;
    if (name == "failed")
        return OVManifestStatus::Failed;
    return std::nullopt;
}

void appendEscaped(std::string& out, std::string_view field) {
    for (const char c : field) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

std::optional<std::string> unescape(std::string_view field) {
    if (field.find('\\') == std::string_view::npos)
        return std::string(field);
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size())
            return std::nullopt;
        switch (field[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

template <typename Number> bool parseNumber(std::string_view text, Number& value) {
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Writes all of `bytes` with one call where the system allows it; a short write (a full disk)
// is an error.
std::error_code writeAll(int fd, std::string_view bytes) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0)
        return lastError();
    if (static_cast<std::size_t>(written) != bytes.size())
        return std::make_error_code(std::errc::no_space_on_device);
    return {};
}

} // namespace

std::string OVManifestLine(const OVManifestRecord& record) {
    std::string line;
    line.reserve(record.input.size() + record.output.size() + record.reason.size() + 48);
    line += statusName(record.status);
    line += '\t';
    appendEscaped(line, record.input);
    line += '\t';
    appendEscaped(line, record.output);
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "\t%llu\t%llu\t%.3f\t",
                  static_cast<unsigned long long>(record.inputBytes),
                  static_cast<unsigned long long>(record.outputBytes), record.seconds);
    line += numbers;
    appendEscaped(line, record.reason);
    line += '\n';
    return line;
}

std::optional<OVManifestRecord> OVParseManifestLine(std::string_view line) {
    std::string_view fields[7];
    std::size_t count = 0;
    for (std::size_t begin = 0;;) {
        const auto tab = line.find('\t', begin);
        if (count == 7)
            return std::nullopt;
        fields[count++] = line.substr(begin, tab == std::string_view::npos ? tab : tab - begin);
        if (tab == std::string_view::npos)
            break;
        begin = tab + 1;
    }
    if (count != 7)
        return std::nullopt;
    OVManifestRecord record;
    const auto status = statusOf(fields[0]);
    auto input = unescape(fields[1]);
    auto output = unescape(fields[2]);
    auto reason = unescape(fields[6]);
    if (!status || !input || input->empty() || !output || !reason ||
        !parseNumber(fields[3], record.inputBytes) || !parseNumber(fields[4], record.outputBytes) ||
        !parseNumber(fields[5], record.seconds))
        return std::nullopt;
    record.status = *status;
    record.input = std::move(*input);
    record.output = std::move(*output);
    record.reason = std::move(*reason);
    return record;
}

ov::Result<OVManifestContents> OVReadManifest(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const std::error_code code = lastError();
        return ov::Error{code, "cannot read " + file.string() + ": " + code.message()};
    }
    std::error_code sizeError;
    std::string text(std::filesystem::file_size(file, sizeError), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    OVManifestContents contents;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const auto end = text.find('\n', begin);
        if (end == std::string::npos) {
            ++contents.damagedLines; // cut short by a writer that was killed
            break;
        }
        const std::string_view line(text.data() + begin, end - begin);
        begin = end + 1;
        if (line.empty() || line.front() == '#')
            continue;
        if (auto record = OVParseManifestLine(line))
            contents.records.push_back(std::move(*record));
        else
            ++contents.damagedLines;
    }
    return contents;
}

ov::Result<std::unique_ptr<OVExportManifest>>
OVExportManifest::open(const std::filesystem::path& file) {
    const auto fail = [&](std::string_view what, std::error_code code = lastError()) {
        return ov::Error{code, std::string(what) + " " + file.string() + ": " + code.message()};
    };
    std::unique_ptr<OVExportManifest> manifest(new OVExportManifest);
    manifest->fd_ = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (manifest->fd_ < 0)
        return fail("cannot open the manifest");
    const off_t size = ::lseek(manifest->fd_, 0, SEEK_END);
    if (size == 0) {
        if (const auto failure = writeAll(manifest->fd_, kOVManifestHeader))
            return fail("cannot write the manifest", failure);
        return manifest;
    }
    const auto contents = OVReadManifest(file);
    if (!contents)
        return contents.error();
    // An unfinished last line is closed, so that the next record starts a line of its own.
    if (size > 0) {
        char last = '\n';
        const int reader = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (reader >= 0) {
            if (::pread(reader, &last, 1, size - 1) != 1)
                last = '\n';
            ::close(reader);
        }
        if (const auto failure = last != '\n' ? writeAll(manifest->fd_, "\n") : std::error_code())
            return fail("cannot write the manifest", failure);
    }
    manifest->load(*contents);
    return manifest;
}

ov::Result<std::unique_ptr<OVExportManifest>>
OVExportManifest::read(const std::filesystem::path& file) {
    std::unique_ptr<OVExportManifest> manifest(new OVExportManifest);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return manifest;
    const auto contents = OVReadManifest(file);
    if (!contents)
        return contents.error();
    manifest->load(*contents);
    return manifest;
}

void OVExportManifest::load(const OVManifestContents& contents) {
    damaged_ = contents.damagedLines;
    for (const auto& record : contents.records)
        finished_[record.input] = record.isFinished();
}

OVExportManifest::~OVExportManifest() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool OVExportManifest::isFinished(const std::string& input) const {
    const auto it = finished_.find(input);
    return it != finished_.end() && it->second;
}

ov::Result<void> OVExportManifest::append(const OVManifestRecord& record) {
    const std::string line = OVManifestLine(record);
    std::lock_guard lock(mutex_);
    if (const auto failure = writeAll(fd_, line))
        return ov::Error{failure, "cannot append to the manifest: " + failure.message()};
    return {};
}
