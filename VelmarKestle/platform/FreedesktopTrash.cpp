#include "platform/FreedesktopTrash.hpp"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStandardPaths>
#include <QString>

namespace kestle {
namespace {

namespace fs = std::filesystem;

// Cocoa file error codes.
constexpr int64_t noSuchFile = 4;            // NSFileNoSuchFileError
constexpr int64_t writeUnknown = 512;        // NSFileWriteUnknownError
constexpr int64_t writeNoPermission = 513;   // NSFileWriteNoPermissionError
constexpr int64_t writeInvalidName = 514;    // NSFileWriteInvalidFileNameError
constexpr int64_t unsupportedScheme = 518;   // NSFileWriteUnsupportedSchemeError
constexpr int64_t writeOutOfSpace = 640;     // NSFileWriteOutOfSpaceError
constexpr int64_t writeReadOnlyVolume = 642; // NSFileWriteVolumeReadOnlyError

PlatformError fileError(int posixError, std::string description) {
    int64_t code = writeUnknown;
    switch (posixError) {
    case ENOENT:
        code = noSuchFile;
        break;
    case EACCES:
    case EPERM:
        code = writeNoPermission;
        break;
    case ENAMETOOLONG:
        code = writeInvalidName;
        break;
    case ENOSPC:
    case EDQUOT:
        code = writeOutOfSpace;
        break;
    case EROFS:
        code = writeReadOnlyVolume;
        break;
    default:
        break;
    }
    std::shared_ptr<const PlatformError> underlying;
    if (posixError != 0) {
        underlying = std::make_shared<const PlatformError>(PlatformError::posixDomain, posixError);
    }
    return PlatformError(PlatformError::fileDomain, code, std::move(description),
                         std::move(underlying));
}

// Creates the missing folders of an absolute path, owner-only as the XDG base
// directory rules ask. The system error number on failure, else 0.
int makeFolders(const fs::path& path) {
    fs::path prefix;
    for (const auto& part : path) {
        prefix /= part;
        if (::mkdir(prefix.c_str(), 0700) == 0) {
            continue;
        }
        if (errno != EEXIST) {
            return errno;
        }
        struct stat info {};
        if (::stat(prefix.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            return ENOTDIR;
        }
    }
    return 0;
}

// Whether item lies directly in the "files" folder of the home Trash or of a
// volume's Trash, with its information file beside it.
bool isInTrash(const fs::path& item, const fs::path& homeTrash) {
    fs::path files = item.parent_path();
    if (!item.is_absolute() || files.filename() != "files" || item.filename().empty()) {
        return false;
    }
    fs::path root = files.parent_path();
    struct stat info {};
    fs::path infoFile = root / "info" / (item.filename().string() + ".trashinfo");
    if (::lstat(infoFile.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    std::error_code error;
    if (fs::equivalent(root, homeTrash, error)) {
        return true;
    }
    std::string uid = std::to_string(::getuid());
    return root.filename() == ".Trash-" + uid ||
           (root.filename() == uid && root.parent_path().filename() == ".Trash");
}

} // namespace

std::expected<Url, PlatformError> moveToFreedesktopTrash(const Url& url) {
    if (!url.isFile()) {
        return std::unexpected(
            PlatformError(PlatformError::fileDomain, unsupportedScheme, "not a file URL"));
    }
    const std::string path = url.path();

    // Qt 6.4 does not create the data folder; without it, it moves the item into a
    // "files" folder under the working folder and still reports success.
    fs::path dataHome =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .toStdString();
    if (dataHome.empty() || !dataHome.is_absolute()) {
        return std::unexpected(fileError(ENOENT, "no data folder for the Trash"));
    }
    const fs::path homeTrash = dataHome / "Trash";
    for (const char* folder : {"files", "info"}) {
        if (int error = makeFolders(homeTrash / folder)) {
            return std::unexpected(
                fileError(error, "cannot set up the Trash in " + dataHome.string()));
        }
        // Qt retries its information file forever when the folder refuses it.
        if (::access((homeTrash / folder).c_str(), W_OK | X_OK) != 0) {
            int error = errno;
            return std::unexpected(fileError(error, "cannot write to the Trash"));
        }
    }

    QString reported;
    errno = 0;
    bool moved = QFile::moveToTrash(QFile::decodeName(path.c_str()), &reported);
    // Qt keeps no error number; errno right after the call is the best there is.
    int error = errno;
    if (!moved) {
        return std::unexpected(fileError(error, "cannot move " + path + " to the Trash"));
    }
    if (reported.isEmpty()) {
        return std::unexpected(PlatformError(PlatformError::fileDomain, noSuchFile));
    }
    const std::string inTrash = QFile::encodeName(reported).toStdString();
    if (!isInTrash(inTrash, homeTrash)) {
        // Never replace whatever took the bundle's place meanwhile.
        if (::renameat2(AT_FDCWD, inTrash.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
            int error = errno;
            return std::unexpected(
                fileError(error, "moved outside any Trash and left at " + inTrash));
        }
        // Qt's information file for it, if any, now describes nothing.
        fs::path item(inTrash);
        ::unlink(
            (item.parent_path().parent_path() / "info" / (item.filename().string() + ".trashinfo"))
                .c_str());
        return std::unexpected(fileError(0, "the Trash moved the item outside any Trash"));
    }
    return Url::fromPath(inTrash);
}

} // namespace kestle
