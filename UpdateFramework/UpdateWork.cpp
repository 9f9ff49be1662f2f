#include "UpdateWork.hpp"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include "Bundle.hpp"
#include "UpdaterError.hpp"
#include "check/WebSource.hpp"
#include "codesign/BundleManifest.hpp"
#include "feeds/Feed.hpp"
#include "feeds/Version.hpp"
#include "install/BundleFiles.hpp"
#include "install/DiskImage.hpp"
#include "install/Download.hpp"
#include "install/Installer.hpp"
#include "install/PartialDownload.hpp"
#include "install/WorkFolder.hpp"
#include "support/AtomicFile.hpp"
#include "support/CrashPoint.hpp"
#include "support/UniqueFd.hpp"

namespace kestle::framework {

namespace fs = std::filesystem;

namespace {

// The URL-loading codes the updater's network errors carry as their cause.
constexpr int64_t urlTimedOut = -1001;
constexpr int64_t urlConnectionLost = -1005;
constexpr int64_t urlBadServerResponse = -1011;

std::shared_ptr<const PlatformError> urlError(int64_t code, std::string description) {
    return std::make_shared<const PlatformError>(PlatformError::urlLoadingDomain, code,
                                                 std::move(description));
}

std::shared_ptr<const PlatformError> posixError(int error) {
    return std::make_shared<const PlatformError>(PlatformError::posixDomain, error,
                                                 std::strerror(error));
}

std::unexpected<PlatformError> failure(int64_t code, std::string description,
                                       std::shared_ptr<const PlatformError> underlying = nullptr) {
    return std::unexpected(UpdaterError::make(code, std::move(description), std::move(underlying)));
}

// Why the staged copy is not the release the item announces, or nothing when it is.
std::optional<std::string> checkRelease(const fs::path& copy, const AppcastItem& item,
                                        const UpdateWork::Preparation& preparation) {
    auto bundle = Bundle::open(copy);
    if (!bundle || bundle->identifier() != preparation.identifier) {
        return "The update is not " + preparation.identifier + ".";
    }
    const std::string build = bundle->version().value_or("");
    if (Version::compare(build, item.item.build) != ComparisonResult::same) {
        return "The update holds build " + build + ", not the announced " + item.item.build + ".";
    }
    // Read again: the installed copy may have changed since the appcast was compared.
    auto installed = Bundle::open(preparation.installed);
    const std::string current = installed ? installed->version().value_or("") : "";
    if (!installed || !Version::isNewer(build, current)) {
        return "The update's build " + build + " is not newer than the installed " + current + ".";
    }
    return std::nullopt;
}

} // namespace

std::expected<std::optional<AppcastItem>, PlatformError> UpdateWork::newest(const Appcast& appcast,
                                                                            std::stop_token stop) {
    WebSource::Options options;
    options.userAgent = appcast.userAgent;
    auto bytes = WebSource(appcast.url, options).feed(appcast.url, stop);
    if (stop.stop_requested()) {
        return failure(UpdaterError::installationCanceled, "The check was canceled.");
    }
    if (!bytes) {
        const CheckFailure& why = bytes.error();
        switch (why.kind) {
        case CheckFailure::Kind::offline:
            return failure(UpdaterError::appcast, "The update feed could not be loaded.",
                           urlError(urlConnectionLost, "The network connection was lost."));
        case CheckFailure::Kind::server:
            return failure(
                UpdaterError::appcast,
                "The update feed's server answered " + std::to_string(why.status) + ".",
                urlError(urlBadServerResponse, "HTTP status " + std::to_string(why.status)));
        case CheckFailure::Kind::invalid:
            return failure(UpdaterError::appcast, "The update feed could not be read.");
        }
    }
    auto items = Feed::items(*bytes);
    if (!items) {
        return failure(UpdaterError::appcastParse, "The update feed is not a valid appcast.");
    }
    const FeedItem* choice = nullptr;
    for (const FeedItem& item : *items) {
        if (item.channel || !item.runs(appcast.system, appcast.architecture) ||
            !Version::isNewer(item.build, appcast.currentBuild)) {
            continue;
        }
        if (choice == nullptr || Version::isNewer(item.build, choice->build)) {
            choice = &item;
        }
    }
    if (choice == nullptr) {
        return std::optional<AppcastItem>();
    }
    return std::optional<AppcastItem>(AppcastItem{*choice});
}

std::expected<void, PlatformError>
UpdateWork::download(const AppcastItem& item, const fs::path& file, const std::string& userAgent,
                     const std::function<void(uint64_t, uint64_t)>& progress, std::stop_token stop,
                     const fs::path& partials) {
    if (!item.item.download) {
        return failure(UpdaterError::download, "The update has nothing to download.");
    }
    const uint64_t length = item.contentLength();
    if (length == 0 || !item.item.edSignature) {
        return failure(UpdaterError::insufficientSigning,
                       "The update is not signed or has no length.");
    }
    if (auto room = Download::checkRoom(file.parent_path(), length); !room) {
        return failure(UpdaterError::fileCopy,
                       "There is not enough free space for the update: it needs " +
                           std::to_string(room.error().needed) + " bytes in " +
                           file.parent_path().string() + ".",
                       posixError(ENOSPC));
    }
    Download::Options options;
    options.userAgent = userAgent;
    if (auto folder = partials.empty() ? std::nullopt : PartialDownload::folder(partials)) {
        options.partial =
            PartialDownload::file(*folder, *item.item.download, length, *item.item.edSignature);
    }
    auto fetched =
        Download::run(*item.item.download, file, length, progress, std::move(stop), options);
    if (!options.partial.empty()) {
        PartialDownload::tidy(options.partial);
    }
    if (fetched) {
        return {};
    }
    const DownloadError& why = fetched.error();
    switch (why.kind) {
    case DownloadError::Kind::canceled:
        return failure(UpdaterError::installationCanceled, "The download was canceled.");
    case DownloadError::Kind::connection:
        return failure(UpdaterError::download, "The download failed.",
                       urlError(urlTimedOut, "The connection failed or went silent."));
    case DownloadError::Kind::server:
        return failure(UpdaterError::download,
                       "The download failed: the server answered " + std::to_string(why.status) +
                           ".",
                       urlError(urlBadServerResponse, "HTTP status " + std::to_string(why.status)));
    case DownloadError::Kind::tooLarge:
        return failure(UpdaterError::validation, "The download is larger than announced.");
    case DownloadError::Kind::file:
        return failure(UpdaterError::fileCopy, "The download could not be saved.");
    }
    return failure(UpdaterError::download, "The download failed.");
}

std::optional<std::string> UpdateWork::team(const fs::path& bundle) {
    auto text = AtomicFile::read(bundle / CodeSignatureFiles::contents /
                                     CodeSignatureFiles::folder / CodeSignatureFiles::manifest,
                                 16 * 1024 * 1024);
    if (!text) {
        return std::nullopt;
    }
    auto manifest = BundleManifest::parse(*text);
    if (!manifest || manifest->team.empty()) {
        return std::nullopt;
    }
    return manifest->team;
}

std::expected<fs::path, PlatformError> UpdateWork::prepare(const AppcastItem& item,
                                                           const Preparation& preparation,
                                                           const fs::path& staging) {
    const int64_t length = static_cast<int64_t>(item.contentLength());
    auto verified = Installer::verify(preparation.image, length, item.item.edSignature.value_or(""),
                                      preparation.key);
    if (!verified) {
        if (verified.error().kind == InstallError::Kind::badSignature) {
            return failure(UpdaterError::signature, "The update's EdDSA signature is not valid.");
        }
        return failure(UpdaterError::validation, "The download is not what the feed announced: " +
                                                     describe(verified.error()) + ".");
    }
    auto team = UpdateWork::team(preparation.installed);
    if (!team) {
        return failure(UpdaterError::signature, "The installed app carries no code signature.");
    }

    auto attached = DiskImage::attach(Url::fromPath(preparation.image.string()),
                                      Url::fromPath(preparation.mountPoint.string() + "/"),
                                      preparation.diskTool);
    if (!attached) {
        return failure(UpdaterError::unarchiving,
                       "The update could not be opened: " + describe(attached.error()) + ".");
    }
    auto staged = [&]() -> std::expected<fs::path, PlatformError> {
        auto app =
            BundleFiles::findApp(fs::path(attached->mountPoint.path()), preparation.identifier);
        if (!app) {
            return failure(UpdaterError::validation,
                           "The update holds no single app with the identifier " +
                               preparation.identifier + ".");
        }
        if (auto checked = CodeCheck::checkDeveloperID(*app, *team, preparation.identifier,
                                                       preparation.anchors);
            !checked) {
            return failure(UpdaterError::signature, "The update's code signature was refused: " +
                                                        describe(checked.error()) + ".");
        }
        if (int error = WorkFolder::create(staging); error != 0) {
            return failure(error == EACCES || error == EPERM || error == EROFS
                               ? UpdaterError::noWritePermission
                               : UpdaterError::fileCopy,
                           "The update could not be put beside the app.", posixError(error));
        }
        // Looked up once: the folder beside the app may be shared, and a folder put in
        // the staging folder's place must never be what is checked or installed.
        UniqueFd folder(::open(staging.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        int error = folder.valid() ? BundleFiles::copy(*app, folder.get()) : errno;
        const fs::path name = preparation.installed.filename();
        if (error == 0 &&
            ::renameat(folder.get(), app->filename().c_str(), folder.get(), name.c_str()) != 0) {
            error = errno;
        }
        if (error != 0) {
            BundleFiles::removeTree(staging);
            return failure(error == EACCES || error == EPERM || error == EROFS
                               ? UpdaterError::noWritePermission
                               : UpdaterError::fileCopy,
                           "The update could not be copied.", posixError(error));
        }
        const fs::path copy = BundleFiles::pinned(folder.get(), name);
        // The copy is what gets installed, so it is what must carry the signature.
        if (auto checked = CodeCheck::checkDeveloperID(copy, *team, preparation.identifier,
                                                       preparation.anchors);
            !checked) {
            BundleFiles::removeTree(staging);
            return failure(UpdaterError::signature,
                           "The copied update's code signature was refused: " +
                               describe(checked.error()) + ".");
        }
        // A correctly signed image of an old release would otherwise replace a newer
        // copy, and the same update would be offered again after every cycle.
        if (auto refused = checkRelease(copy, item, preparation)) {
            BundleFiles::removeTree(staging);
            return failure(UpdaterError::validation, *refused);
        }
        CrashPoint::reach("update.staged");
        return staging / name;
    }();
    (void)DiskImage::detach(*attached, preparation.diskTool);
    return staged;
}

std::expected<void, PlatformError>
UpdateWork::swap(const fs::path& staged, const fs::path& installed, const std::string& identifier) {
    const auto gone =
        failure(UpdaterError::installation, "The app to update is no longer in place.");
    UniqueFd parent(::open(installed.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    UniqueFd staging(parent.valid()
                         ? ::openat(parent.get(), staged.parent_path().filename().c_str(),
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                         : -1);
    // Only this process can write in a private folder it made and marked: anything else
    // at that name may hold an unchecked bundle.
    if (!staging.valid() || !WorkFolder::madeHere(staging.get())) {
        return failure(UpdaterError::installation, "The checked update is no longer in place.");
    }
    struct stat st {};
    const fs::path name = installed.filename();
    if (::fstatat(parent.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(st.st_mode)) {
        return gone;
    }
    auto bundle = Bundle::open(BundleFiles::pinned(parent.get(), name));
    if (!bundle || bundle->identifier() != identifier) {
        return gone;
    }
    if (::renameat2(staging.get(), staged.filename().c_str(), parent.get(), name.c_str(),
                    RENAME_EXCHANGE) != 0) {
        int error = errno;
        return failure(error == EACCES || error == EPERM || error == EROFS
                           ? UpdaterError::noWritePermission
                           : UpdaterError::installation,
                       "The new version could not be put in place.", posixError(error));
    }
    ::fsync(parent.get());
    CrashPoint::reach("update.exchanged");
    return {};
}

} // namespace kestle::framework
