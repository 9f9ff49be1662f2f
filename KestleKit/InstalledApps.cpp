#include "InstalledApps.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <plist/plist.h>

#include "Version.hpp"

namespace kestle {
namespace {

// An Info.plist is a few KiB; anything near this is hostile or broken.
constexpr size_t kMaxInfoPlistBytes = size_t(1) << 20;
// libplist 2.2 parses binary containers and frees every tree recursively, so
// nesting must stay far from what a thread's stack holds.
constexpr size_t kMaxContainers = 4096;
// libplist 2.2 builds a fresh node for every reference in a binary plist, so a
// small file that references one object many times expands in memory.
constexpr size_t kMaxBinaryNodes = size_t(1) << 17;
constexpr uint64_t kMaxBinaryPayloadBytes = uint64_t(4) << 20;

struct PlistFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistNode = std::unique_ptr<void, PlistFree>;

struct DirClose {
    void operator()(DIR* dir) const { closedir(dir); }
};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

struct BundleInfo {
    std::string identifier;
    std::string version;
    std::string build;
};

// The whole file into data when it is a regular file of sensible size. Non-blocking
// so that a FIFO named Info.plist cannot stall the scan before it is refused.
bool readSmallFile(const std::string& path, std::string& data) {
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (fd.get() < 0 || fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size <= 0 || static_cast<uint64_t>(status.st_size) > kMaxInfoPlistBytes) {
        return false;
    }
    // A file that grows meanwhile is read up to the size seen here.
    data.resize(static_cast<size_t>(status.st_size));
    size_t used = 0;
    while (used < data.size()) {
        ssize_t n = ::read(fd.get(), data.data() + used, data.size() - used);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        used += static_cast<size_t>(n);
    }
    data.resize(used);
    return true;
}

uint64_t bigEndian(std::string_view data, size_t pos, size_t width) {
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) {
        value = (value << 8) | static_cast<uint8_t>(data[pos + i]);
    }
    return value;
}

// Walks the object graph of a binary plist without recursion, before libplist sees
// it. Refuses a container reached twice (shared or cyclic: libplist would copy it
// for every reference), too many containers (nesting), too many nodes or too many
// string and data bytes once every reference is expanded.
bool binaryPlistIsBounded(std::string_view data) {
    constexpr size_t headerSize = 8;
    constexpr size_t trailerSize = 32;
    if (data.size() < headerSize + trailerSize) {
        return false;
    }
    const size_t trailer = data.size() - trailerSize;
    const size_t offsetWidth = static_cast<uint8_t>(data[trailer + 6]);
    const size_t refWidth = static_cast<uint8_t>(data[trailer + 7]);
    const uint64_t objectCount = bigEndian(data, trailer + 8, 8);
    const uint64_t root = bigEndian(data, trailer + 16, 8);
    const uint64_t table = bigEndian(data, trailer + 24, 8);
    if (offsetWidth < 1 || offsetWidth > 8 || refWidth < 1 || refWidth > 8 || table < headerSize ||
        table > trailer || objectCount > (trailer - table) / offsetWidth || root >= objectCount) {
        return false;
    }
    const size_t end = static_cast<size_t>(table); // objects lie before the offset table

    // An object's element or byte count, and where its contents start.
    auto countAt = [&](size_t pos) -> std::optional<std::pair<uint64_t, size_t>> {
        uint64_t count = static_cast<uint8_t>(data[pos]) & 0x0F;
        ++pos;
        if (count != 0x0F) {
            return std::pair{count, pos};
        }
        if (pos >= end) {
            return std::nullopt;
        }
        auto marker = static_cast<uint8_t>(data[pos]);
        size_t width = size_t(1) << (marker & 0x0F);
        if ((marker >> 4) != 0x1 || width > 8 || end - pos - 1 < width) {
            return std::nullopt;
        }
        return std::pair{bigEndian(data, pos + 1, width), pos + 1 + width};
    };

    std::vector<bool> visited(static_cast<size_t>(objectCount));
    std::vector<uint64_t> pending{root};
    size_t nodes = 1;
    size_t containers = 0;
    uint64_t payload = 0;
    while (!pending.empty()) {
        uint64_t index = pending.back();
        pending.pop_back();
        uint64_t offset = bigEndian(data, table + index * offsetWidth, offsetWidth);
        if (offset < headerSize || offset >= end) {
            return false;
        }
        auto type = static_cast<uint8_t>(data[offset]) >> 4;
        bool isText = type == 0x4 || type == 0x5 || type == 0x6; // data, ASCII, UTF-16
        bool isContainer = type == 0xA || type == 0xB || type == 0xC || type == 0xD;
        if (!isText && !isContainer) {
            continue; // fixed-size scalars
        }
        auto counted = countAt(static_cast<size_t>(offset));
        if (!counted) {
            return false;
        }
        auto [count, start] = *counted;
        size_t available = end - start;
        if (isText) {
            // A UTF-16 unit is two bytes on disk and up to three once converted.
            size_t unit = type == 0x6 ? 2 : 1;
            if (count > available / unit) {
                return false;
            }
            payload += count * (type == 0x6 ? 3 : 1);
            if (payload > kMaxBinaryPayloadBytes) {
                return false;
            }
            continue;
        }
        if (visited[index] || ++containers > kMaxContainers) {
            return false;
        }
        visited[index] = true;
        size_t perElement = type == 0xD ? 2 : 1; // a dictionary lists keys, then values
        if (count > available / refWidth / perElement) {
            return false;
        }
        uint64_t refs = count * perElement;
        if (refs > kMaxBinaryNodes - nodes) {
            return false;
        }
        nodes += refs;
        for (uint64_t i = 0; i < refs; ++i) {
            uint64_t ref = bigEndian(data, start + i * refWidth, refWidth);
            if (ref >= objectCount) {
                return false;
            }
            pending.push_back(ref);
        }
    }
    return true;
}

// Counts every container tag opened anywhere, comments included, so that no
// arrangement of closing tags can hide nesting.
bool xmlPlistIsBounded(std::string_view data) {
    size_t containers = 0;
    for (size_t pos = data.find('<'); pos != std::string_view::npos;
         pos = data.find('<', pos + 1)) {
        auto rest = data.substr(pos + 1);
        if ((rest.starts_with("array") || rest.starts_with("dict")) &&
            ++containers > kMaxContainers) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> stringValue(plist_t dictionary, const char* key) {
    plist_t node = plist_dict_get_item(dictionary, key);
    if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) {
        return std::nullopt;
    }
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string(text, static_cast<size_t>(length));
}

// buffer is only storage, kept by the caller so that a scan reuses one allocation.
std::optional<BundleInfo> readInfoPlist(const std::string& path, std::string& buffer) {
    if (!readSmallFile(path, buffer)) {
        return std::nullopt;
    }
    auto length = static_cast<uint32_t>(buffer.size());
    bool bounded = plist_is_binary(buffer.data(), length) ? binaryPlistIsBounded(buffer)
                                                          : xmlPlistIsBounded(buffer);
    if (!bounded) {
        return std::nullopt;
    }
    plist_t raw = nullptr;
    plist_from_memory(buffer.data(), length, &raw);
    PlistNode root(raw);
    if (!root || plist_get_node_type(raw) != PLIST_DICT) {
        return std::nullopt;
    }
    auto identifier = stringValue(raw, "CFBundleIdentifier");
    if (!identifier) {
        return std::nullopt;
    }
    auto build = stringValue(raw, "CFBundleVersion");
    if (!build) {
        return std::nullopt;
    }
    auto version = stringValue(raw, "CFBundleShortVersionString");
    return BundleInfo{std::move(*identifier), version ? std::move(*version) : *build,
                      std::move(*build)};
}

// The absolute path a file URL names; nothing for other URLs, and for paths with a
// NUL byte, which the system would silently cut short.
std::optional<std::string> filePath(const Url& url) {
    if (!url.isFile()) {
        return std::nullopt;
    }
    auto path = url.path();
    if (!path.starts_with('/') || path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return path;
}

std::string joined(std::string base, std::string_view name) {
    if (!base.ends_with('/')) {
        base += '/';
    }
    base += name;
    return base;
}

// Without "." and ".." components or a trailing slash, decided on the text alone.
std::string normalizedPath(const std::string& path) {
    auto normal = std::filesystem::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.ends_with('/')) {
        normal.pop_back();
    }
    return normal;
}

// The .app entries at the top level of a folder, hidden ones left out, ordered by
// name without the extension ("Tool" before "Tool 2") so that equal builds resolve
// the same way on every run. Empty when the folder cannot be listed.
std::vector<std::string> bundleNames(const std::string& folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirClose> dir(opendir(folder.c_str()));
    if (!dir) {
        return names;
    }
    while (true) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) {
                names.clear();
            }
            break;
        }
        std::string_view name = entry->d_name;
        if (!name.starts_with('.') && name.ends_with(".app")) {
            names.emplace_back(name);
        }
    }
    std::ranges::sort(names, [](std::string_view a, std::string_view b) {
        return a.substr(0, a.size() - 4) < b.substr(0, b.size() - 4);
    });
    return names;
}

std::optional<std::string> homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return std::string(home);
    }
    // A relative or empty HOME would put the user's folder wherever the process runs.
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 4096);
    while (true) {
        passwd entry{};
        passwd* found = nullptr;
        int rc = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (size_t(1) << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != 0 || found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') {
            return std::nullopt;
        }
        return std::string(found->pw_dir);
    }
}

} // namespace

std::vector<Url> InstalledApps::standardFolders() {
    std::vector<Url> folders;
    try {
        folders.push_back(Url::fromPath("/Applications"));
        if (auto home = homeFolder()) {
            folders.push_back(Url::fromPath(normalizedPath(joined(*home, "Applications"))));
        }
    } catch (...) {
    }
    return folders;
}

std::map<std::string, InstalledApp>
InstalledApps::scan(const std::set<std::string>& bundleIDs) const {
    std::map<std::string, InstalledApp> result;
    // Reading bundles nobody asked for would change nothing.
    if (bundleIDs.empty()) {
        return result;
    }
    try {
        std::string buffer;
        for (const auto& folder : folders) {
            auto path = filePath(folder);
            if (!path) {
                continue;
            }
            // Bundles are read through the folder as given and reported under its
            // standardized form.
            const auto standardized = normalizedPath(*path);
            std::map<std::string, InstalledApp> found;
            for (const auto& name : bundleNames(*path)) {
                auto info =
                    readInfoPlist(joined(joined(*path, name), "Contents/Info.plist"), buffer);
                if (!info || !bundleIDs.contains(info->identifier) ||
                    result.contains(info->identifier)) {
                    continue;
                }
                auto held = found.find(info->identifier);
                if (held != found.end() && !Version::isNewer(info->build, held->second.build)) {
                    continue;
                }
                found.insert_or_assign(std::move(info->identifier),
                                       InstalledApp{Url::fromPath(joined(standardized, name)),
                                                    std::move(info->version),
                                                    std::move(info->build)});
            }
            result.merge(found); // keys already present keep their value
        }
    } catch (...) {
    }
    return result;
}

std::optional<std::pair<std::string, InstalledApp>> InstalledApps::read(const Url& bundle) {
    try {
        auto path = filePath(bundle);
        if (!path) {
            return std::nullopt;
        }
        std::string buffer;
        auto info = readInfoPlist(joined(*path, "Contents/Info.plist"), buffer);
        if (!info) {
            return std::nullopt;
        }
        return std::pair{std::move(info->identifier),
                         InstalledApp{Url::fromPath(normalizedPath(*path)),
                                      std::move(info->version), std::move(info->build)}};
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace kestle
