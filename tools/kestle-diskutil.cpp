// kestle-diskutil: the disk-image tool the installer runs, for systems without one.
//
//   kestle-diskutil image attach --plist --readOnly --nobrowse --mountOptions nosuid,nodev
//                   --mountPoint MOUNTPOINT IMAGE
//   kestle-diskutil eject DEVICE|MOUNTPOINT
//
// Linux cannot mount an image without privileges everywhere, so attaching extracts the
// ISO 9660 image into MOUNTPOINT (an empty folder, or one that does not exist yet) and
// makes the tree read-only. Set-user-id and set-group-id bits are dropped, device files,
// FIFOs and sockets are left out, symbolic links stay links. An entry that would land
// outside the mount point, or an image that expands past 16 times its size (at most
// 8 GiB) or 100,000 entries, makes the whole attach fail with nothing left behind.
//
// Each attachment is recorded as /dev/diskN in a private state folder
// ($KESTLE_DISKUTIL_STATE, else under $XDG_RUNTIME_DIR, else under /tmp; see
// stateFolder); eject removes exactly that tree, named by its device or mount point. Attach prints
// the devices and the mount point as an XML property list. Usage errors exit with 2, other failures
// with 1, with a message on stderr.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <plist/plist.h>

#include "ImageExtractor.hpp"

namespace fs = std::filesystem;
using kestle::diskutil::emptyFolder;
using kestle::diskutil::extractImage;
using kestle::diskutil::ExtractLimits;
using kestle::diskutil::linkStatus;

namespace {

constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;
constexpr unsigned kMaxDisks = 100000;
constexpr int kStateAlternatives = 9;

struct Failure {
    std::string message;
    int status = kFailureStatus;
};

[[noreturn]] void fail(std::string message) {
    throw Failure{std::move(message)};
}

[[noreturn]] void failErrno(const std::string& what) {
    fail(what + ": " + std::strerror(errno));
}

std::string usage() {
    return "usage: kestle-diskutil image attach --plist --readOnly --nobrowse --mountOptions "
           "nosuid,nodev --mountPoint MOUNTPOINT IMAGE\n"
           "       kestle-diskutil eject DEVICE";
}

// A folder only this user can reach: records in a folder others can write to could
// send eject to any tree.
bool isPrivateFolder(const fs::path& folder) {
    auto st = linkStatus(folder);
    return st && S_ISDIR(st->st_mode) && st->st_uid == ::geteuid() && (st->st_mode & 077) == 0;
}

// Creates folder 0700 whatever the umask; false when the name is taken.
bool makePrivateFolder(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0) {
        if (errno == EEXIST) {
            return false;
        }
        failErrno("state folder " + folder.string());
    }
    ::chmod(folder.c_str(), 0700);
    return isPrivateFolder(folder);
}

// $XDG_RUNTIME_DIR/kestle-diskutil, or $TMPDIR/kestle-diskutil-UID (else /tmp) when
// the runtime folder is missing or not private. In a shared folder another user may
// have taken the name first, or a stale copy may have the wrong mode: such a name is
// skipped, never used or changed, and the next of NAME.1 … NAME.9 is tried. The first
// private one wins, so attach and eject always agree while ours exists.
fs::path stateFolder() {
    if (const char* state = std::getenv("KESTLE_DISKUTIL_STATE"); state && *state) {
        fs::path folder = state;
        if (!isPrivateFolder(folder) && !makePrivateFolder(folder)) {
            fail("state folder " + folder.string() + " is not a private folder of this user");
        }
        return folder;
    }
    fs::path base;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && isPrivateFolder(runtime)) {
        base = fs::path(runtime) / "kestle-diskutil";
    } else {
        const char* temporary = std::getenv("TMPDIR");
        base = fs::path(temporary && *temporary == '/' ? temporary : "/tmp") /
               ("kestle-diskutil-" + std::to_string(::geteuid()));
    }
    std::vector<fs::path> names{base};
    for (int n = 1; n <= kStateAlternatives; ++n) {
        names.push_back(base.string() + "." + std::to_string(n));
    }
    for (const auto& folder : names) {
        if (isPrivateFolder(folder)) {
            return folder;
        }
    }
    for (const auto& folder : names) {
        if (makePrivateFolder(folder)) {
            return folder;
        }
    }
    fail("no private state folder: " + base.string() + " and its alternatives are taken");
}

// --- Trees ---------------------------------------------------------------------------

// Writes into the tree are for nobody; folders stay listable so the tree can be read
// and later removed.
void makeReadOnly(const fs::path& path) {
    auto st = linkStatus(path);
    if (!st || S_ISLNK(st->st_mode)) {
        return;
    }
    mode_t mode = st->st_mode & 07777 & ~mode_t(0222);
    if (S_ISDIR(st->st_mode)) {
        mode |= 0500;
        ::chmod(path.c_str(), st->st_mode | 0700); // to walk it now
        for (const auto& child : fs::directory_iterator(path)) {
            makeReadOnly(child.path());
        }
    }
    if (::chmod(path.c_str(), mode) != 0) {
        failErrno(path.string());
    }
}

// --- Attach --------------------------------------------------------------------------

struct MountPoint {
    fs::path path; // canonical
    bool created = false;
    mode_t mode = 0; // of a folder that was there before
    dev_t device = 0;
    ino_t inode = 0;
};

bool isEmptyFolder(int fd) {
    int copy = ::dup(fd);
    DIR* dir = copy < 0 ? nullptr : ::fdopendir(copy);
    if (dir == nullptr) {
        if (copy >= 0) {
            ::close(copy);
        }
        return false;
    }
    bool empty = true;
    while (auto* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            empty = false;
            break;
        }
    }
    ::closedir(dir);
    return empty;
}

// Creates the mount point or takes an empty folder, and makes it the working folder
// so that entries are extracted relative to it.
MountPoint prepareMountPoint(std::string given) {
    // "dir/" would let lstat follow a link named dir.
    while (given.size() > 1 && given.ends_with('/')) {
        given.pop_back();
    }
    MountPoint mountPoint;
    if (::mkdir(given.c_str(), 0755) == 0) {
        mountPoint.created = true;
    } else if (errno != EEXIST) {
        failErrno("mount point " + given);
    }
    // A folder made here is removed again when it cannot be used after all.
    auto giveUp = [&](std::string message) {
        if (mountPoint.created) {
            ::rmdir(given.c_str());
        }
        fail(std::move(message));
    };
    int fd = ::open(given.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        giveUp("mount point " + given + ": " + std::strerror(errno));
    }
    struct stat st {};
    bool usable = ::fstat(fd, &st) == 0 && isEmptyFolder(fd) && ::fchdir(fd) == 0;
    ::close(fd);
    if (!usable) {
        giveUp("mount point " + given + " is not an empty folder");
    }
    mountPoint.mode = st.st_mode & 07777;
    mountPoint.device = st.st_dev;
    mountPoint.inode = st.st_ino;
    char* resolved = ::realpath(".", nullptr);
    if (resolved == nullptr) {
        giveUp("mount point " + given + ": " + std::strerror(errno));
    }
    mountPoint.path = resolved;
    std::free(resolved);
    return mountPoint;
}

// Records the attachment under the first free device name; link() claims the name
// and publishes the complete record in one step.
std::string record(const fs::path& state, const MountPoint& mountPoint) {
    std::string text = std::to_string(mountPoint.created) + " " + std::to_string(mountPoint.mode) +
                       " " + std::to_string(mountPoint.device) + " " +
                       std::to_string(mountPoint.inode) + "\n" + mountPoint.path.string();
    std::string temporary = (state / "record-XXXXXX").string();
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        failErrno("state folder " + state.string());
    }
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        fail("state folder " + state.string() + ": cannot write a record");
    }
    for (unsigned n = 1; n < kMaxDisks; ++n) {
        std::string disk = "disk" + std::to_string(n);
        if (::link(temporary.c_str(), (state / disk).c_str()) == 0) {
            ::unlink(temporary.c_str());
            return "/dev/" + disk;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    int saved = errno;
    ::unlink(temporary.c_str());
    errno = saved;
    failErrno("state folder " + state.string());
}

void printAttachment(const std::string& device, const fs::path& mountPoint) {
    plist_t whole = plist_new_dict();
    plist_dict_set_item(whole, "dev-entry", plist_new_string(device.c_str()));
    plist_t volume = plist_new_dict();
    plist_dict_set_item(volume, "dev-entry", plist_new_string((device + "s1").c_str()));
    plist_dict_set_item(volume, "mount-point", plist_new_string(mountPoint.c_str()));
    plist_t entities = plist_new_array();
    plist_array_append_item(entities, whole);
    plist_array_append_item(entities, volume);
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "system-entities", entities);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    plist_free(root);
    bool written =
        xml != nullptr && std::fwrite(xml, 1, length, stdout) == length && std::fflush(stdout) == 0;
    std::free(xml);
    if (!written) {
        fail("cannot write the property list");
    }
}

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onTermination(int) {
    interrupted = 1;
}

// A request to stop ends the attach through its clean-up instead of in the middle of
// it; a closed output fails the write, which is cleaned up the same way.
void catchTermination() {
    struct sigaction action {};
    action.sa_handler = onTermination;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

int attach(const std::string& mountPointArg, const std::string& image) {
    catchTermination();
    fs::path state = stateFolder();
    // Opened before the working folder changes to the mount point.
    struct ImageFile {
        int fd;
        ~ImageFile() {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    } file{::open(image.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat st {};
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0) {
        failErrno(image);
    }
    if (!S_ISREG(st.st_mode)) {
        fail(image + ": not a disk image");
    }
    const auto limits = ExtractLimits::forImage(static_cast<uint64_t>(st.st_size));
    MountPoint mountPoint = prepareMountPoint(mountPointArg);
    std::string device;
    try {
        if (auto extracted = extractImage(file.fd, image, limits, &interrupted); !extracted) {
            fail(extracted.error());
        }
        makeReadOnly(mountPoint.path);
        if (interrupted) {
            fail(image + ": interrupted");
        }
        device = record(state, mountPoint);
        printAttachment(device, mountPoint.path);
    } catch (...) {
        if (!device.empty()) {
            ::unlink((state / fs::path(device).filename()).c_str());
        }
        emptyFolder(mountPoint.path);
        if (mountPoint.created) {
            ::rmdir(mountPoint.path.c_str());
        } else {
            ::chmod(mountPoint.path.c_str(), mountPoint.mode);
        }
        throw;
    }
    return 0;
}

// --- Eject ---------------------------------------------------------------------------

// "/dev/disk4" or "disk4" → "disk4"; nothing for anything else.
std::optional<std::string> diskName(std::string_view device) {
    if (device.starts_with("/dev/")) {
        device.remove_prefix(5);
    }
    if (!device.starts_with("disk") || device.size() == 4 || device.size() > 12) {
        return std::nullopt;
    }
    for (char c : device.substr(4)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    return std::string(device);
}

struct Record {
    MountPoint mountPoint;
    bool damaged = true;
};

Record readRecord(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Record record;
    unsigned long long mode = 0, dev = 0, inode = 0;
    int created = 0;
    auto lineEnd = text.find('\n');
    std::string path = lineEnd == std::string::npos ? "" : text.substr(lineEnd + 1);
    if (!in.bad() && !path.empty() &&
        std::sscanf(text.c_str(), "%d %llu %llu %llu", &created, &mode, &dev, &inode) == 4) {
        record.mountPoint = {path, created != 0, static_cast<mode_t>(mode), static_cast<dev_t>(dev),
                             static_cast<ino_t>(inode)};
        record.damaged = false;
    }
    return record;
}

// The disk attached at a mount point, as the platform's tool also accepts one: what a
// caller that could not read the attach output still knows.
std::optional<std::string> diskAt(const fs::path& state, const std::string& mountPoint) {
    char* resolved = ::realpath(mountPoint.c_str(), nullptr);
    if (resolved == nullptr) {
        return std::nullopt;
    }
    const fs::path path = resolved;
    std::free(resolved);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(state, error)) {
        auto name = entry.path().filename().string();
        if (diskName(name) && readRecord(entry.path()).mountPoint.path == path) {
            return name;
        }
    }
    return std::nullopt;
}

int eject(const std::string& device) {
    fs::path state = stateFolder();
    auto name = diskName(device);
    if (!name && device.starts_with('/')) {
        name = diskAt(state, device);
        if (!name) {
            fail(device + ": no disk attached there");
        }
    }
    if (!name) {
        fail(device + ": not a disk device");
    }
    fs::path recordPath = state / *name;
    if (!linkStatus(recordPath)) {
        fail(device + ": no such attached disk");
    }
    Record record = readRecord(recordPath);
    if (record.damaged) {
        fail(device + ": the record of this disk is damaged");
    }
    const MountPoint& mountPoint = record.mountPoint;
    const std::string path = mountPoint.path.string();
    // A folder put in the tree's place since the attach is someone else's: leave it.
    auto st = linkStatus(mountPoint.path);
    if (!st || !S_ISDIR(st->st_mode) || st->st_dev != mountPoint.device ||
        st->st_ino != mountPoint.inode) {
        ::unlink(recordPath.c_str());
        fail(device + ": " + path + " is no longer the attached folder");
    }
    emptyFolder(mountPoint.path);
    if (mountPoint.created) {
        if (::rmdir(mountPoint.path.c_str()) != 0) {
            failErrno(path);
        }
    } else {
        ::chmod(mountPoint.path.c_str(), mountPoint.mode);
    }
    if (::unlink(recordPath.c_str()) != 0) {
        failErrno(recordPath.string());
    }
    return 0;
}

int run(const std::vector<std::string>& args) {
    const std::vector<std::string> attachFlags{"image",        "attach",      "--plist",
                                               "--readOnly",   "--nobrowse",  "--mountOptions",
                                               "nosuid,nodev", "--mountPoint"};
    if (args.size() == attachFlags.size() + 2 &&
        std::equal(attachFlags.begin(), attachFlags.end(), args.begin())) {
        return attach(args[8], args[9]);
    }
    if (args.size() == 2 && args[0] == "eject") {
        return eject(args[1]);
    }
    throw Failure{usage(), kUsageStatus};
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "kestle-diskutil: %s\n", failure.message.c_str());
        return failure.status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestle-diskutil: %s\n", error.what());
        return kFailureStatus;
    }
}
