#include "apps/InstalledApps.hpp"

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

#include "feeds/Version.hpp"
#include "support/PropertyList.hpp"
#include "support/UniqueFd.hpp"

namespace kestle {
namespace {

struct DirClose {
    void operator()(DIR* dir) const { closedir(dir); }
};

struct BundleInfo {
    std::string identifier;
    std::string version;
    std::string build;
};

// The whole file into data when it is a regular file of sensible size. Non-blocking
// so that a FIFO named Info.plist cannot stall the scan before it is refused.
bool readSmallFile(const std::string& path, std::string& data) {
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (fd.get() < 0 || fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size <= 0 || static_cast<uint64_t>(status.st_size) > PropertyList::maxBytes) {
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

// buffer is only storage, kept by the caller so that a scan reuses one allocation.
std::optional<BundleInfo> readInfoPlist(const std::string& path, std::string& buffer) {
    if (!readSmallFile(path, buffer)) {
        return std::nullopt;
    }
    auto list = PropertyList::parse(buffer);
    if (!list) {
        return std::nullopt;
    }
    auto identifier = list->string("CFBundleIdentifier");
    if (!identifier) {
        return std::nullopt;
    }
    auto build = list->string("CFBundleVersion");
    if (!build) {
        return std::nullopt;
    }
    auto version = list->string("CFBundleShortVersionString");
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
