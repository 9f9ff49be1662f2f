#include "install/PreviousCopy.hpp"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "apps/InstalledApps.hpp"
#include "codesign/BundleManifest.hpp"
#include "install/BundleFiles.hpp"
#include "install/WorkFolder.hpp"
#include "support/AtomicFile.hpp"
#include "support/CrashPoint.hpp"
#include "support/UniqueFd.hpp"

namespace kestle {

namespace fs = std::filesystem;

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A slot is named after the identifier, so it must be one plain name.
bool usableName(const std::string& identifier) {
    return !identifier.empty() && identifier.size() < 200 && identifier.front() != '.' &&
           identifier.find('/') == std::string::npos && identifier.find('\n') == std::string::npos;
}

// Only a folder of this user that no one else can write in may hold what is put back.
bool isPrivate(int folder) {
    struct stat st {};
    return ::fstat(folder, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

std::string utc(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    ::gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::string markerText(const PreviousCopy& copy) {
    return "identifier " + copy.identifier + "\nbuild " + copy.build + "\nversion " + copy.version +
           "\nreplacedBy " + copy.replacedBy + "\ndate " + copy.date + "\nname " +
           copy.installed.filename().string() + "\n";
}

int writeMarker(int folder, const std::string& text) {
    UniqueFd marker(::openat(folder, std::string(PreviousCopy::markerName).c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!marker.valid()) {
        return errno;
    }
    if (::write(marker.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        return errno != 0 ? errno : ENOSPC;
    }
    if (::fsync(marker.get()) != 0) {
        return errno;
    }
    return marker.close() ? 0 : errno;
}

std::optional<std::map<std::string, std::string>> readMarker(int slot) {
    UniqueFd fd(::openat(slot, std::string(PreviousCopy::markerName).c_str(),
                         O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > 4096) {
        return std::nullopt;
    }
    std::string text(static_cast<size_t>(st.st_size), '\0');
    if (::read(fd.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        return std::nullopt;
    }
    std::map<std::string, std::string> fields;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        const std::string line = text.substr(at, end - at);
        if (auto space = line.find(' '); space != std::string::npos) {
            fields.emplace(line.substr(0, space), line.substr(space + 1));
        }
        at = end + 1;
    }
    return fields;
}

// The copy a slot holds, from its marker; the bundle's path goes through the slot's
// descriptor, so it stays what was opened.
std::optional<PreviousCopy> readSlot(int slot, const fs::path& folder, const fs::path& path) {
    auto fields = readMarker(slot);
    if (!fields) {
        return std::nullopt;
    }
    const std::string name = (*fields)["name"];
    if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos) {
        return std::nullopt;
    }
    PreviousCopy copy{
        (*fields)["identifier"], (*fields)["build"], (*fields)["version"], (*fields)["replacedBy"],
        (*fields)["date"],       path / name,        folder / name,        0};
    if (copy.identifier.empty() || copy.build.empty() || copy.replacedBy.empty()) {
        return std::nullopt;
    }
    return copy;
}

std::optional<std::pair<std::string, InstalledApp>> readBundle(int folder, const fs::path& name) {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode)) {
        return std::nullopt;
    }
    return InstalledApps::read(Url::fromPath(BundleFiles::pinned(folder, name).string()));
}

// Whether the app is still the build that replaced the copy.
bool stillReplaced(int folder, const PreviousCopy& copy) {
    auto installed = readBundle(folder, copy.installed.filename());
    return installed && installed->first == copy.identifier &&
           installed->second.build == copy.replacedBy;
}

std::optional<std::string> team(const fs::path& bundle) {
    auto text = AtomicFile::read(bundle / CodeSignatureFiles::contents /
                                     CodeSignatureFiles::folder / CodeSignatureFiles::manifest,
                                 16 * 1024 * 1024);
    auto manifest = text ? BundleManifest::parse(*text) : std::nullopt;
    if (!manifest || manifest->team.empty()) {
        return std::nullopt;
    }
    return manifest->team;
}

std::unexpected<GoBackError> refused(GoBackError::Kind kind, int error = 0,
                                     CodeCheckError codeCheck = {}) {
    return std::unexpected(GoBackError{kind, error, codeCheck});
}

} // namespace

std::string describe(const GoBackError& error) {
    switch (error.kind) {
    case GoBackError::Kind::noCopy:
        return "no previous copy is kept";
    case GoBackError::Kind::changed:
        return "the installed app changed since the previous copy was kept";
    case GoBackError::Kind::signature:
        return "the previous copy's code signature was refused: " + describe(error.codeCheck);
    case GoBackError::Kind::files:
        return std::string("the copies could not be exchanged: ") + std::strerror(error.error);
    }
    return "unknown";
}

int PreviousCopy::keep(const fs::path& staging, const fs::path& installed,
                       const std::string& identifier, const std::string& replacedBy,
                       std::chrono::system_clock::time_point when) {
    if (!usableName(identifier) || staging.parent_path() != installed.parent_path()) {
        return EINVAL;
    }
    UniqueFd parent(::open(installed.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.valid()) {
        return errno;
    }
    const fs::path slotName = staging.filename();
    UniqueFd slot(::openat(parent.get(), slotName.c_str(), folderFlags));
    if (!slot.valid() || !WorkFolder::madeHere(slot.get())) {
        return slot.valid() ? EPERM : errno;
    }
    auto old = readBundle(slot.get(), installed.filename());
    if (!old || old->first != identifier) {
        return ENOENT;
    }
    PreviousCopy copy{
        identifier, old->second.build, old->second.version, replacedBy, utc(when), {}, installed,
        0};
    if (int error = writeMarker(slot.get(), markerText(copy)); error != 0) {
        return error;
    }

    const std::string folder(folderName);
    if (::mkdirat(parent.get(), folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return errno;
    }
    UniqueFd previous(::openat(parent.get(), folder.c_str(), folderFlags));
    if (!previous.valid() || !isPrivate(previous.get())) {
        return previous.valid() ? EPERM : errno;
    }
    // The slot keeps its working marker: should the process end before the older copy
    // is removed below, the launch sweep takes that one for an ordinary leftover.
    if (::renameat2(parent.get(), slotName.c_str(), previous.get(), identifier.c_str(),
                    RENAME_NOREPLACE) != 0) {
        if (errno != EEXIST || ::renameat2(parent.get(), slotName.c_str(), previous.get(),
                                           identifier.c_str(), RENAME_EXCHANGE) != 0) {
            return errno;
        }
        CrashPoint::reach("previous.exchanged");
        BundleFiles::removeAt(parent.get(), slotName); // the copy kept before
    }
    ::fsync(previous.get());
    ::fsync(parent.get());
    return 0;
}

std::optional<PreviousCopy> PreviousCopy::find(const fs::path& folder,
                                               const std::string& identifier) {
    if (!usableName(identifier)) {
        return std::nullopt;
    }
    const fs::path path = folder / folderName / identifier;
    UniqueFd slot(::open(path.c_str(), folderFlags));
    if (!slot.valid() || !isPrivate(slot.get())) {
        return std::nullopt;
    }
    auto copy = readSlot(slot.get(), folder, path);
    if (!copy || copy->identifier != identifier) {
        return std::nullopt;
    }
    std::error_code error;
    // Links are counted as themselves and never followed.
    for (fs::recursive_directory_iterator it(copy->bundle, error), end; !error && it != end;
         it.increment(error)) {
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) == 0) {
            copy->bytes += static_cast<uint64_t>(st.st_blocks) * 512;
        }
    }
    return copy;
}

std::expected<void, GoBackError> PreviousCopy::restore(const fs::path& folder,
                                                       const std::string& identifier,
                                                       const CodeCheck::Anchors& anchors) {
    if (!usableName(identifier)) {
        return refused(GoBackError::Kind::noCopy);
    }
    UniqueFd parent(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    UniqueFd previous(
        parent.valid() ? ::openat(parent.get(), std::string(folderName).c_str(), folderFlags) : -1);
    UniqueFd slot(previous.valid() ? ::openat(previous.get(), identifier.c_str(), folderFlags)
                                   : -1);
    if (!slot.valid() || !isPrivate(previous.get()) || !isPrivate(slot.get())) {
        return refused(GoBackError::Kind::noCopy);
    }
    auto copy = readSlot(slot.get(), folder, {});
    if (!copy || copy->identifier != identifier) {
        return refused(GoBackError::Kind::noCopy);
    }
    const fs::path name = copy->installed.filename();
    auto kept = readBundle(slot.get(), name);
    if (!kept || kept->first != identifier || kept->second.build != copy->build) {
        return refused(GoBackError::Kind::noCopy);
    }
    if (!stillReplaced(parent.get(), *copy)) {
        return refused(GoBackError::Kind::changed);
    }
    auto signer = team(BundleFiles::pinned(parent.get(), name));
    if (!signer) {
        return refused(GoBackError::Kind::signature, 0,
                       CodeCheckError::unreadable(CodeCheckStatus::notSigned));
    }
    // Through the slot's descriptor: what is checked is what gets exchanged.
    if (auto checked = CodeCheck::checkDeveloperID(BundleFiles::pinned(slot.get(), name), *signer,
                                                   identifier, anchors);
        !checked) {
        return refused(GoBackError::Kind::signature, 0, checked.error());
    }
    if (::renameat2(slot.get(), name.c_str(), parent.get(), name.c_str(), RENAME_EXCHANGE) != 0) {
        return refused(GoBackError::Kind::files, errno);
    }
    ::fsync(parent.get());
    CrashPoint::reach("previous.restored");
    // The slot now holds the newer bundle under a marker it no longer matches; should
    // this be cut short, the next sweep removes it for that reason.
    BundleFiles::removeAt(previous.get(), identifier);
    ::unlinkat(parent.get(), std::string(folderName).c_str(), AT_REMOVEDIR); // when empty
    return {};
}

std::vector<fs::path> PreviousCopy::sweep(const fs::path& folder) {
    std::vector<fs::path> removed;
    UniqueFd parent(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    UniqueFd previous(
        parent.valid() ? ::openat(parent.get(), std::string(folderName).c_str(), folderFlags) : -1);
    if (!previous.valid() || !isPrivate(previous.get())) {
        return removed;
    }
    for (const std::string& name : BundleFiles::names(previous.get())) {
        UniqueFd slot(::openat(previous.get(), name.c_str(), folderFlags));
        if (!slot.valid()) {
            continue; // not a folder: nothing this program put here
        }
        // A slot without a readable marker cannot be gone back to either.
        auto copy = readSlot(slot.get(), folder, {});
        if (copy && copy->identifier == name && stillReplaced(parent.get(), *copy)) {
            continue;
        }
        BundleFiles::removeAt(previous.get(), name);
        removed.push_back(folder / folderName / name);
    }
    ::unlinkat(parent.get(), std::string(folderName).c_str(), AT_REMOVEDIR); // when empty
    return removed;
}

} // namespace kestle
