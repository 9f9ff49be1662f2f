#include "install/Installer.hpp"

#include <array>
#include <cerrno>
#include <cstdio>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sodium.h>

#include "apps/InstalledApps.hpp"
#include "feeds/Version.hpp"
#include "install/BundleFiles.hpp"
#include "install/Leftovers.hpp"
#include "install/PartialDownload.hpp"
#include "install/WorkFolder.hpp"
#include "support/Base64.hpp"
#include "support/CrashPoint.hpp"
#include "support/UniqueFd.hpp"

namespace kestle {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> alreadyThere(const InstallRequest& request) {
    auto found = InstalledApps({request.folder}).scan({request.bundleID});
    if (auto it = found.find(request.bundleID); it != found.end()) {
        return it->second.url.lastPathComponent();
    }
    return std::nullopt;
}

InstallError copyError(int error) {
    if (error == EACCES || error == EPERM || error == EROFS) {
        return InstallError::of(InstallError::Kind::notWritable);
    }
    return InstallError::copy(error);
}

std::expected<InstallResult, InstallError> place(const Installer& installer,
                                                 const InstallRequest& request,
                                                 const fs::path& mountPoint,
                                                 const Installer::Step& step) {
    using Kind = InstallError::Kind;
    auto app = BundleFiles::findApp(mountPoint, request.bundleID);
    if (!app) {
        return std::unexpected(InstallError::of(Kind::noApp));
    }
    const std::string requirement = installer.requirement(request.bundleID);
    if (auto checked = CodeCheck::check(*app, requirement, installer.anchors); !checked) {
        return std::unexpected(InstallError::codeCheck(checked.error()));
    }
    if (step) {
        step(UpdateStep::installing(false));
    }

    // Inside the destination, so the final rename never crosses a file system. Its
    // path is looked up once: everything after works through its descriptor, so a
    // folder put in its place (the destination may be shared) is never what is checked
    // or installed.
    auto staging = WorkFolder::make(request.folder.path(), Leftovers::staging);
    if (!staging) {
        return std::unexpected(copyError(staging.error()));
    }
    CrashPoint::reach("install.staging");
    const fs::path name = app->filename();
    if (int error = BundleFiles::copy(*app, staging->fd()); error != 0) {
        return std::unexpected(copyError(error));
    }
    CrashPoint::reach("install.copied");
    const fs::path staged = staging->pinned(name);
    if (auto checked = CodeCheck::check(staged, requirement, installer.anchors); !checked) {
        return std::unexpected(InstallError::codeCheck(checked.error()));
    }
    // A correctly signed image of another release (an old one, say) must not pass for
    // the one the feed offers; the copy is what gets installed, so it is what is read.
    auto release = InstalledApps::read(Url::fromPath(staged.string()));
    if (!release || release->first != request.bundleID ||
        Version::compare(release->second.build, request.build) != ComparisonResult::same) {
        return std::unexpected(InstallError::codeCheck(
            CodeCheckError::rejected(CodeCheckStatus::requirementUnsatisfied)));
    }
    if (auto found = alreadyThere(request)) {
        return std::unexpected(InstallError::alreadyThere(*found));
    }
    CrashPoint::reach("install.checked");
    const fs::path destination = request.folder.path() / name;
    if (::renameat2(staging->fd(), name.c_str(), staging->parentFd(), name.c_str(),
                    RENAME_NOREPLACE) != 0) {
        int error = errno;
        if (error == EPERM || error == EACCES || error == EROFS) {
            return std::unexpected(InstallError::of(Kind::notWritable));
        }
        if (error == EEXIST) {
            return std::unexpected(InstallError::alreadyThere(name.string()));
        }
        return std::unexpected(InstallError::copy(error));
    }
    ::fsync(staging->parentFd());
    CrashPoint::reach("install.placed");
    const Url installedUrl = Url::fromPath(destination.string());
    auto installed = InstalledApps::read(installedUrl);
    if (!installed) {
        return std::unexpected(InstallError::of(Kind::noApp));
    }
    return InstallResult{installedUrl, installed->second};
}

} // namespace

std::optional<InstallRequest> InstallRequest::from(const AppEntry& entry, const Url& folder) {
    if (!entry.latest || !entry.latest->download) {
        return std::nullopt;
    }
    return InstallRequest{entry.app.bundleID,
                          *entry.latest->download,
                          entry.latest->length,
                          entry.latest->edSignature,
                          folder,
                          entry.latest->build};
}

bool InstallError::isCancel() const {
    return kind == Kind::download && downloadError.kind == DownloadError::Kind::canceled;
}

UpdateFailure InstallError::failure() const {
    using F = UpdateFailure::Kind;
    switch (kind) {
    case Kind::download:
        switch (downloadError.kind) {
        case DownloadError::Kind::server:
            return UpdateFailure::other(downloadError.status);
        case DownloadError::Kind::connection:
            return UpdateFailure::of(F::connection);
        case DownloadError::Kind::tooLarge:
            return UpdateFailure::of(F::damaged);
        case DownloadError::Kind::canceled:
        case DownloadError::Kind::file:
            return UpdateFailure::other(-1);
        }
        break;
    case Kind::wrongLength:
    case Kind::attach:
    case Kind::noApp:
        return UpdateFailure::of(F::damaged);
    case Kind::codeCheck:
    case Kind::unsigned_:
    case Kind::badSignature:
        return UpdateFailure::of(F::signature);
    case Kind::alreadyThere:
        return UpdateFailure::of(F::alreadyThere);
    case Kind::copy:
        return UpdateFailure::other(code);
    case Kind::notWritable:
        return UpdateFailure::of(F::notWritable);
    }
    return UpdateFailure::other(-1);
}

std::string describe(const InstallError& error) {
    using Kind = InstallError::Kind;
    switch (error.kind) {
    case Kind::download:
        return "download(" + describe(error.downloadError) + ")";
    case Kind::wrongLength:
        return "wrongLength(" + std::to_string(error.expected) + ", " +
               std::to_string(error.actual) + ")";
    case Kind::attach:
        return "attach(" + error.text + ")";
    case Kind::codeCheck:
        return "codeCheck(" + describe(error.codeCheckError) + ")";
    case Kind::alreadyThere:
        return "alreadyThere(" + error.text + ")";
    case Kind::copy:
        return "copy(" + std::to_string(error.code) + ")";
    case Kind::notWritable:
        return "notWritable";
    case Kind::unsigned_:
        return "unsigned";
    case Kind::badSignature:
        return "badSignature";
    case Kind::noApp:
        return "noApp";
    }
    return "unknown";
}

Installer::Images Installer::Images::system(const std::string& tool) {
    return {[tool](const Url& image, const Url& mountPoint) {
                return DiskImage::attach(image, mountPoint, tool);
            },
            [tool](const AttachedImage& image) { return DiskImage::detach(image, tool); }};
}

std::string Installer::velmarRequirement(std::string_view bundleID) {
    return CodeCheck::developerIDRequirement(CodeCheck::velmarTeam, bundleID);
}

std::expected<void, DownloadError> Installer::systemFetch(const Url& url, const fs::path& file,
                                                          uint64_t limit,
                                                          const Download::Progress& progress,
                                                          std::stop_token stop,
                                                          const Download::Options& options) {
    return Download::run(url, file, limit, progress, std::move(stop), options);
}

fs::path Installer::defaultWork() {
    std::error_code error;
    fs::path folder = fs::temp_directory_path(error);
    return error ? fs::path("/tmp") : folder;
}

std::expected<void, InstallError> Installer::verify(const fs::path& file, int64_t length,
                                                    std::string_view edSignature,
                                                    const UpdateSignature& key) {
    using Kind = InstallError::Kind;
    const auto unreadable = std::unexpected(InstallError::download(DownloadError::file()));
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return unreadable;
    }
    // Checked before mapping, so a wrong file is never mapped whatever its size.
    if (st.st_size != length) {
        return std::unexpected(InstallError::wrongLength(length, st.st_size));
    }
    auto signature = Base64::decode(edSignature);
    if (!signature || signature->size() != crypto_sign_BYTES) {
        return std::unexpected(InstallError::of(Kind::badSignature));
    }
    const auto size = static_cast<size_t>(st.st_size);
    void* mapped = size == 0 ? nullptr : ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
    if (mapped == MAP_FAILED) {
        return unreadable;
    }
    if (mapped != nullptr) {
        ::madvise(mapped, size, MADV_SEQUENTIAL);
    }
    const bool valid = key.verify(*signature, {static_cast<const uint8_t*>(mapped), size});
    if (mapped != nullptr) {
        ::munmap(mapped, size);
    }
    if (!valid) {
        return std::unexpected(InstallError::of(Kind::badSignature));
    }
    return {};
}

std::expected<InstallResult, InstallError>
Installer::install(const InstallRequest& request, const Step& step, std::stop_token stop) const {
    using Kind = InstallError::Kind;
    auto report = [&step](const UpdateStep& value) {
        if (step) {
            step(value);
        }
    };
    const fs::path folder = request.folder.path();
    // A folder that is not a local path must never be read as one.
    if (!request.folder.isFile() || ::access(folder.c_str(), W_OK) != 0) {
        return std::unexpected(InstallError::of(Kind::notWritable));
    }
    if (auto found = alreadyThere(request)) {
        return std::unexpected(InstallError::alreadyThere(*found));
    }
    if (!request.length || *request.length <= 0 || !request.edSignature) {
        return std::unexpected(InstallError::of(Kind::unsigned_));
    }
    const int64_t length = *request.length;

    std::error_code error;
    fs::create_directories(work, error);
    // Private: the image is extracted here, in a folder other users may share.
    auto workFolder = WorkFolder::make(work, Leftovers::installWork);
    if (error || !workFolder) {
        return std::unexpected(InstallError::copy(error ? error.value() : workFolder.error()));
    }
    CrashPoint::reach("install.work");

    const fs::path downloadFile = workFolder->path() / "download.dmg";
    const auto expectedSize = static_cast<uint64_t>(length);
    if (auto room = Download::checkRoom(workFolder->path(), expectedSize); !room) {
        return std::unexpected(InstallError::download(room.error()));
    }
    // Without a folder for it the download still runs, only not resumably.
    Download::Options options;
    if (auto partials = PartialDownload::folder(work)) {
        options.partial =
            PartialDownload::file(*partials, request.download, expectedSize, *request.edSignature);
    }
    if (resumed) {
        options.resumed = [this, &request](uint64_t offset) { resumed(request.bundleID, offset); };
    }
    report(UpdateStep::downloading(0, expectedSize));
    auto fetched = fetch(
        request.download, downloadFile, expectedSize,
        [&](uint64_t received, uint64_t expected) {
            report(UpdateStep::downloading(received, expected > 0 ? expected : expectedSize));
        },
        std::move(stop), options);
    if (!options.partial.empty()) {
        PartialDownload::tidy(options.partial);
    }
    if (!fetched) {
        return std::unexpected(InstallError::download(fetched.error()));
    }

    report(UpdateStep::verifying());
    if (auto verified = verify(downloadFile, length, *request.edSignature, key); !verified) {
        return std::unexpected(verified.error());
    }

    const fs::path mountPoint = workFolder->path() / "volume";
    auto attached = images.attach(Url::fromPath(downloadFile.string()),
                                  Url::fromPath(mountPoint.string() + "/"));
    if (!attached) {
        return std::unexpected(InstallError::attach(describe(attached.error())));
    }
    auto placed = place(*this, request, fs::path(attached->mountPoint.path()), step);
    (void)images.detach(*attached);
    // Normally moved into the working folder already; a fetch may have copied it.
    if (placed && !options.partial.empty()) {
        PartialDownload::remove(options.partial);
        PartialDownload::tidy(options.partial);
    }
    return placed;
}

} // namespace kestle
