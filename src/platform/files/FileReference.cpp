#include "inkstead/platform/files/FileReference.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>

namespace ov {

namespace {

// Layout, all integers little-endian:
//   "OVFR" | version (1 byte) | device (8) | inode (8) | birth seconds (8) | birth nanoseconds (4)
//   | path length (4) | path bytes (absolute, symbolic links resolved)
// The birth time (0 when the file system does not record it) tells a moved file from a new file
// that happens to reuse the inode number of a deleted one.
constexpr std::uint8_t kMagic[] = {'O', 'V', 'F', 'R'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kHeaderSize = 4 + 1 + 8 + 8 + 8 + 4 + 4;
constexpr std::size_t kMaxPathLength = 1 << 16;

// The search for a moved file looks at most this many entries, and climbs at most this many
// folders above the nearest existing folder of the old path.
constexpr std::size_t kMaxSearchEntries = 20000;
constexpr int kMaxSearchLevels = 1;

struct Identity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t birthSeconds = 0;
    std::uint32_t birthNanoseconds = 0;

    // A missing birth time on either side matches any.
    [[nodiscard]] bool matches(const Identity& other) const {
        if (device != other.device || inode != other.inode)
            return false;
        const bool bothBorn = (birthSeconds | birthNanoseconds) != 0 &&
                              (other.birthSeconds | other.birthNanoseconds) != 0;
        return !bothBorn ||
               (birthSeconds == other.birthSeconds && birthNanoseconds == other.birthNanoseconds);
    }
};

std::optional<Identity> identityOf(const std::filesystem::path& path, bool followLinks) {
    struct statx sx {};
    const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
    if (::statx(AT_FDCWD, path.c_str(), flags, STATX_INO | STATX_BTIME, &sx) != 0)
        return std::nullopt;
    Identity id;
    id.device = (static_cast<std::uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    id.inode = sx.stx_ino;
    if ((sx.stx_mask & STATX_BTIME) != 0) {
        id.birthSeconds = sx.stx_btime.tv_sec;
        id.birthNanoseconds = sx.stx_btime.tv_nsec;
    }
    return id;
}

template <typename T> std::uint8_t* put(std::uint8_t* out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
        *out++ = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
    return out;
}

template <typename T> T get(const std::uint8_t* in) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    return static_cast<T>(value);
}

struct Decoded {
    Identity identity;
    std::filesystem::path path;
};

/// "\"path\": reason", the form of every error this file reports.
std::string describe(const std::filesystem::path& path, const std::string& reason) {
    std::string text("\"");
    text += path.string();
    text += "\": ";
    text += reason;
    return text;
}

std::optional<Decoded> decode(const FileReferenceData& data) {
    if (data.size() < kHeaderSize || std::memcmp(data.data(), kMagic, 4) != 0 ||
        data[4] != kVersion)
        return std::nullopt;
    const std::uint8_t* p = data.data() + 5;
    Decoded decoded;
    decoded.identity.device = get<std::uint64_t>(p);
    decoded.identity.inode = get<std::uint64_t>(p + 8);
    decoded.identity.birthSeconds = get<std::int64_t>(p + 16);
    decoded.identity.birthNanoseconds = get<std::uint32_t>(p + 24);
    const auto length = get<std::uint32_t>(p + 28);
    if (length == 0 || length > kMaxPathLength || data.size() != kHeaderSize + length)
        return std::nullopt;
    decoded.path = std::string(reinterpret_cast<const char*>(data.data() + kHeaderSize), length);
    if (!decoded.path.is_absolute())
        return std::nullopt;
    return decoded;
}

/// Looks for the file with `identity` below `root`, skipping the subtree `skip` (already
/// searched), staying on the root's device and not following symbolic links.
std::optional<std::filesystem::path> searchTree(const std::filesystem::path& root,
                                                const std::filesystem::path& skip,
                                                const Identity& identity, std::size_t& budget) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (budget == 0)
            return std::nullopt;
        --budget;
        const auto& path = it->path();
        const auto found = identityOf(path, false);
        if (!found)
            continue;
        if (found->matches(identity))
            return path;
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError) &&
            (path == skip || found->device != identity.device))
            it.disable_recursion_pending();
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> searchMovedFile(const Decoded& decoded) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path root = decoded.path.parent_path();
    while (!root.empty() && root != root.root_path() && !fs::is_directory(root, ec))
        root = root.parent_path();
    std::size_t budget = kMaxSearchEntries;
    fs::path searched;
    for (int level = 0; level <= kMaxSearchLevels; ++level) {
        // The whole file system is never scanned.
        if (root.empty() || root == root.root_path())
            break;
        if (auto found = searchTree(root, searched, decoded.identity, budget))
            return found;
        if (budget == 0)
            break;
        searched = root;
        root = root.parent_path();
    }
    return std::nullopt;
}

} // namespace

Result<FileReferenceData> createFileReference(const std::filesystem::path& path) {
    std::error_code ec;
    const auto canonical = std::filesystem::canonical(path, ec);
    std::optional<Identity> identity;
    if (!ec) {
        identity = identityOf(canonical, true);
        if (!identity)
            ec = {errno, std::generic_category()};
    }
    if (ec)
        return Error{ec, describe(path, ec.message())};
    const std::string text = canonical.string();
    FileReferenceData data(kHeaderSize + text.size());
    std::memcpy(data.data(), kMagic, sizeof kMagic);
    data[4] = kVersion;
    auto* out = data.data() + 5;
    out = put(out, identity->device);
    out = put(out, identity->inode);
    out = put(out, identity->birthSeconds);
    out = put(out, identity->birthNanoseconds);
    out = put(out, static_cast<std::uint32_t>(text.size()));
    std::memcpy(out, text.data(), text.size());
    return data;
}

Result<FileReferenceResolution> resolveFileReference(const FileReferenceData& reference) {
    const auto decoded = decode(reference);
    if (!decoded)
        return makeError(std::errc::invalid_argument,
                         reference.empty() ? "no file reference" : "not a valid file reference");
    const auto current = identityOf(decoded->path, true);
    if (current && current->matches(decoded->identity))
        return FileReferenceResolution{decoded->path, false};
    // Moved or renamed: find the same file again. Failing that, a file that was replaced at its
    // path (saved by writing a new file and renaming it over the old one) is the same document.
    if (auto moved = searchMovedFile(*decoded))
        return FileReferenceResolution{std::move(*moved), true};
    if (current)
        return FileReferenceResolution{decoded->path, true};
    const auto missing = std::make_error_code(std::errc::no_such_file_or_directory);
    return Error{missing, describe(decoded->path, missing.message())};
}

std::optional<std::filesystem::path>
recordedPathOfFileReference(const FileReferenceData& reference) {
    const auto decoded = decode(reference);
    return decoded ? std::optional(decoded->path) : std::nullopt;
}

} // namespace ov
