// kestle-diskutil: the disk-image tool the installer runs, for systems without one.
//
//   kestle-diskutil image attach --plist --readOnly --nobrowse --mountOptions nosuid,nodev
//                   --mountPoint MOUNTPOINT IMAGE
//   kestle-diskutil eject DEVICE
//
// Linux cannot mount an image without privileges everywhere, so attaching extracts the
// ISO 9660 image into MOUNTPOINT (an empty folder, or one that does not exist yet) and
// makes the tree read-only. Set-user-id and set-group-id bits are dropped, device files,
// FIFOs and sockets are left out, symbolic links stay links. An entry that would land
// outside the mount point makes the whole attach fail with nothing left behind.
//
// Each attachment is recorded as /dev/diskN in the state folder ($KESTLE_DISKUTIL_STATE,
// else $XDG_RUNTIME_DIR/kestle-diskutil, else /tmp/kestle-diskutil-UID); eject removes
// exactly that tree. Attach prints the devices and the mount point as an XML property
// list. Usage errors exit with 2, other failures with 1, with a message on stderr.

#include <cerrno>
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

#include <archive.h>
#include <archive_entry.h>
#include <plist/plist.h>

namespace fs = std::filesystem;

namespace {

constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;
constexpr unsigned kMaxDisks = 100000;

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

std::optional<struct stat> linkStatus(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return st;
}

// Only this user may see or change the records: in /tmp another user could plant them.
fs::path stateFolder() {
    fs::path folder;
    if (const char* state = std::getenv("KESTLE_DISKUTIL_STATE"); state && *state) {
        folder = state;
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        folder = fs::path(runtime) / "kestle-diskutil";
    } else {
        folder = "/tmp/kestle-diskutil-" + std::to_string(::geteuid());
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        failErrno("state folder " + folder.string());
    }
    auto st = linkStatus(folder);
    if (!st || !S_ISDIR(st->st_mode) || st->st_uid != ::geteuid() || (st->st_mode & 077) != 0) {
        fail("state folder " + folder.string() + " is not a private folder of this user");
    }
    return folder;
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

// Makes every folder of the tree writable again and removes everything in it; the
// folder itself stays. Links are removed, never followed.
void emptyFolder(const fs::path& folder) {
    auto st = linkStatus(folder);
    if (!st || !S_ISDIR(st->st_mode)) {
        return;
    }
    ::chmod(folder.c_str(), (st->st_mode & 07777) | 0700);
    std::error_code error;
    for (const auto& child : fs::directory_iterator(folder, error)) {
        emptyFolder(child.path());
        fs::remove_all(child.path(), error);
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
    int fd = ::open(given.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        failErrno("mount point " + given);
    }
    struct stat st {};
    bool usable = ::fstat(fd, &st) == 0 && isEmptyFolder(fd) && ::fchdir(fd) == 0;
    ::close(fd);
    if (!usable) {
        fail("mount point " + given + " is not an empty folder");
    }
    mountPoint.mode = st.st_mode & 07777;
    mountPoint.device = st.st_dev;
    mountPoint.inode = st.st_ino;
    char* resolved = ::realpath(".", nullptr);
    if (resolved == nullptr) {
        failErrno("mount point " + given);
    }
    mountPoint.path = resolved;
    std::free(resolved);
    return mountPoint;
}

// Refuses what libarchive's own checks also refuse, so that no single check stands
// between an image and the rest of the disk.
void checkInside(std::string_view entry, const std::string& path) {
    if (path.empty() || path.starts_with('/')) {
        fail("refused entry " + std::string(entry) + ": absolute path " + path);
    }
    for (const auto& part : fs::path(path)) {
        if (part == "..") {
            fail("refused entry " + std::string(entry) + ": leaves the mount point");
        }
    }
    // Every folder on the way must be a real folder, never a link to follow.
    fs::path prefix;
    auto parent = fs::path(path).parent_path();
    for (const auto& part : parent) {
        prefix /= part;
        auto st = linkStatus(prefix);
        if (st && !S_ISDIR(st->st_mode)) {
            fail("refused entry " + std::string(entry) + ": " + prefix.string() +
                 " is not a folder");
        }
    }
}

void copyData(archive* in, archive* out, const std::string& name) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        int rc = archive_read_data_block(in, &block, &size, &offset);
        if (rc == ARCHIVE_EOF) {
            return;
        }
        if (rc < ARCHIVE_WARN) {
            fail(name + ": " + archive_error_string(in));
        }
        if (archive_write_data_block(out, block, size, offset) < ARCHIVE_WARN) {
            fail(name + ": " + archive_error_string(out));
        }
    }
}

struct Archives {
    archive* in = archive_read_new();
    archive* out = archive_write_disk_new();
    ~Archives() {
        archive_read_free(in);
        archive_write_free(out);
    }
};

void extract(int imageFd, const std::string& image) {
    Archives a;
    archive_read_support_format_iso9660(a.in);
    // Owners are never restored; set-user-id bits are cleared below before writing.
    archive_write_disk_set_options(
        a.out, ARCHIVE_EXTRACT_PERM | ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_NO_OVERWRITE |
                   ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                   ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS);
    if (archive_read_open_fd(a.in, imageFd, 64 * 1024) != ARCHIVE_OK) {
        fail(image + ": not a disk image (" + archive_error_string(a.in) + ")");
    }
    for (;;) {
        archive_entry* entry = nullptr;
        int rc = archive_read_next_header(a.in, &entry);
        if (rc == ARCHIVE_EOF) {
            break;
        }
        if (rc < ARCHIVE_WARN) {
            fail(image + ": " + archive_error_string(a.in));
        }
        const char* name = archive_entry_pathname(entry);
        if (name == nullptr) {
            fail(image + ": an entry has no name");
        }
        std::string path = name;
        if (path == "." || path == "./") {
            continue; // the image's root is the mount point
        }
        checkInside(path, path);
        auto type = archive_entry_filetype(entry);
        if (type == AE_IFCHR || type == AE_IFBLK || type == AE_IFIFO || type == AE_IFSOCK) {
            continue;
        }
        if (type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK) {
            fail("refused entry " + path + ": unknown file type");
        }
        if (const char* target = archive_entry_hardlink(entry)) {
            checkInside(path, target);
            auto st = linkStatus(target);
            if (!st || !S_ISREG(st->st_mode)) {
                fail("refused entry " + path + ": links to " + target);
            }
        }
        auto existing = linkStatus(path);
        if (existing && !(S_ISDIR(existing->st_mode) && type == AE_IFDIR)) {
            fail("refused entry " + path + ": the name is used twice");
        }
        if (type != AE_IFLNK) {
            archive_entry_set_perm(entry, archive_entry_perm(entry) & 0777);
        }
        if (archive_write_header(a.out, entry) < ARCHIVE_WARN) {
            fail("refused entry " + path + ": " + archive_error_string(a.out));
        }
        if (type == AE_IFREG && archive_entry_size(entry) > 0) {
            copyData(a.in, a.out, path);
        }
        if (archive_write_finish_entry(a.out) < ARCHIVE_WARN) {
            fail(path + ": " + archive_error_string(a.out));
        }
    }
    if (archive_write_close(a.out) < ARCHIVE_WARN) {
        fail(image + ": " + archive_error_string(a.out));
    }
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

int attach(const std::string& mountPointArg, const std::string& image) {
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
    MountPoint mountPoint = prepareMountPoint(mountPointArg);
    try {
        extract(file.fd, image);
        makeReadOnly(mountPoint.path);
        std::string device = record(state, mountPoint);
        printAttachment(device, mountPoint.path);
    } catch (...) {
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

int eject(const std::string& device) {
    auto name = diskName(device);
    if (!name) {
        fail(device + ": not a disk device");
    }
    fs::path recordPath = stateFolder() / *name;
    std::ifstream in(recordPath, std::ios::binary);
    if (!in) {
        fail(device + ": no such attached disk");
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    MountPoint mountPoint;
    unsigned long long mode = 0, dev = 0, inode = 0;
    int created = 0;
    auto lineEnd = text.find('\n');
    std::string path = lineEnd == std::string::npos ? "" : text.substr(lineEnd + 1);
    if (in.bad() || path.empty() ||
        std::sscanf(text.c_str(), "%d %llu %llu %llu", &created, &mode, &dev, &inode) != 4) {
        fail(device + ": the record of this disk is damaged");
    }
    mountPoint.path = path;
    // A folder put in the tree's place since the attach is someone else's: leave it.
    auto st = linkStatus(mountPoint.path);
    if (!st || !S_ISDIR(st->st_mode) || st->st_dev != dev || st->st_ino != inode) {
        ::unlink(recordPath.c_str());
        fail(device + ": " + path + " is no longer the attached folder");
    }
    emptyFolder(mountPoint.path);
    if (created) {
        if (::rmdir(mountPoint.path.c_str()) != 0) {
            failErrno(path);
        }
    } else {
        ::chmod(mountPoint.path.c_str(), static_cast<mode_t>(mode));
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
