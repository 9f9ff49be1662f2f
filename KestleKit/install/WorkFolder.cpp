#include "install/WorkFolder.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "install/BundleFiles.hpp"

namespace kestle {

namespace fs = std::filesystem;

namespace {

// Small files of the kernel's and of ours; anything longer is not what we wrote.
std::optional<std::string> readSmall(int folder, const char* name) {
    UniqueFd fd(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    std::string text(1024, '\0');
    ssize_t got = ::read(fd.get(), text.data(), text.size());
    if (got < 0 || static_cast<size_t>(got) == text.size()) {
        return std::nullopt;
    }
    text.resize(static_cast<size_t>(got));
    return text;
}

std::string bootID() {
    std::string id = readSmall(AT_FDCWD, "/proc/sys/kernel/random/boot_id").value_or("");
    return id.substr(0, id.find('\n'));
}

// Clock ticks since boot at which the process started: with the boot, what tells a
// process from a later one that was given the same number.
std::optional<std::string> startTime(pid_t pid) {
    auto stat = readSmall(AT_FDCWD, ("/proc/" + std::to_string(pid) + "/stat").c_str());
    if (!stat) {
        return std::nullopt;
    }
    // The name in parentheses may hold anything; the fields after it are plain.
    auto close = stat->rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    // Fields 3 onwards follow it, one space apart; the start time is field 22.
    std::string_view rest = std::string_view(*stat).substr(close + 1);
    for (int field = 3; field <= 22; ++field) {
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        auto end = std::min(rest.find(' '), rest.size());
        if (field == 22 && end > 0) {
            return std::string(rest.substr(0, end));
        }
        rest.remove_prefix(end);
    }
    return std::nullopt;
}

std::string markerText() {
    const pid_t pid = ::getpid();
    return "pid " + std::to_string(pid) + "\nstart " + startTime(pid).value_or("?") + "\nboot " +
           bootID();
}

// The process the marker names, when it still runs; nothing for anything unreadable.
std::optional<pid_t> runningOwner(const std::string& marker) {
    std::string_view text = marker;
    auto field = [&](std::string_view key) -> std::string_view {
        auto at = text.find(std::string(key) + " ");
        if (at == std::string_view::npos) {
            return {};
        }
        auto value = text.substr(at + key.size() + 1);
        return value.substr(0, value.find('\n'));
    };
    pid_t pid = 0;
    std::string_view pidText = field("pid");
    auto parsed = std::from_chars(pidText.data(), pidText.data() + pidText.size(), pid);
    if (parsed.ec != std::errc() || pid <= 0 || field("boot") != bootID()) {
        return std::nullopt;
    }
    auto start = startTime(pid);
    if (!start || *start != field("start")) {
        return std::nullopt;
    }
    return pid;
}

bool isUUID(std::string_view text) {
    if (text.size() != 36) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

int writeMarker(int folder) {
    UniqueFd marker(::openat(folder, std::string(WorkFolder::markerName).c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!marker.valid()) {
        return errno;
    }
    const std::string text = markerText();
    if (::write(marker.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        return errno != 0 ? errno : ENOSPC;
    }
    return marker.close() ? 0 : errno;
}

} // namespace

std::expected<WorkFolder, int> WorkFolder::make(const fs::path& parent, std::string_view prefix) {
    WorkFolder made;
    made.parent_.reset(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!made.parent_.valid()) {
        return std::unexpected(errno);
    }
    const std::string name = std::string(prefix) + BundleFiles::uniqueName();
    if (::mkdirat(made.parent_.get(), name.c_str(), 0700) != 0) {
        return std::unexpected(errno);
    }
    made.path_ = parent / name;
    made.folder_.reset(::openat(made.parent_.get(), name.c_str(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    int error = made.folder_.valid() ? writeMarker(made.folder_.get()) : errno;
    if (error != 0) {
        return std::unexpected(error); // made goes, and the folder with it
    }
    return made;
}

int WorkFolder::create(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0) {
        return errno;
    }
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    int error = fd.valid() ? writeMarker(fd.get()) : errno;
    if (error != 0) {
        BundleFiles::removeTree(folder);
    }
    return error;
}

fs::path WorkFolder::pinned(const fs::path& name) const {
    return BundleFiles::pinned(folder_.get(), name);
}

bool WorkFolder::madeHere(int folder) {
    struct stat st {};
    if (::fstat(folder, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0) {
        return false;
    }
    auto marker = readSmall(folder, std::string(markerName).c_str());
    return marker && runningOwner(*marker) == ::getpid();
}

void WorkFolder::remove() {
    if (!path_.empty() && parent_.valid()) {
        BundleFiles::removeAt(parent_.get(), path_.filename());
    }
    path_.clear();
}

std::vector<fs::path> WorkFolder::sweep(const fs::path& parent,
                                        std::span<const std::string_view> prefixes,
                                        const std::function<void(const fs::path&)>& beforeRemoval) {
    std::vector<fs::path> removed;
    UniqueFd folder(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        return removed;
    }
    std::vector<std::string> candidates;
    for (const std::string& name : BundleFiles::names(folder.get())) {
        for (std::string_view prefix : prefixes) {
            if (name.starts_with(prefix) && isUUID(std::string_view(name).substr(prefix.size()))) {
                candidates.push_back(name);
                break;
            }
        }
    }

    for (const std::string& name : candidates) {
        struct stat st {};
        if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
            continue;
        }
        UniqueFd work(
            ::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!work.valid()) {
            continue;
        }
        auto marker = readSmall(work.get(), std::string(markerName).c_str());
        if (!marker) {
            // Only an empty folder goes: a crash between making it and marking it.
            if (::unlinkat(folder.get(), name.c_str(), AT_REMOVEDIR) == 0) {
                removed.push_back(parent / name);
            }
            continue;
        }
        if (runningOwner(*marker)) {
            continue;
        }
        if (beforeRemoval) {
            beforeRemoval(parent / name);
        }
        BundleFiles::removeAt(folder.get(), name);
        removed.push_back(parent / name);
    }
    return removed;
}

} // namespace kestle
