#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "apps/AppEntry.hpp"
#include "apps/InstalledApp.hpp"
#include "codesign/CodeCheck.hpp"
#include "install/DiskImage.hpp"
#include "install/Download.hpp"
#include "support/UpdateSignature.hpp"
#include "support/Url.hpp"
#include "updates/UpdateFailure.hpp"
#include "updates/UpdateStep.hpp"

namespace kestle {

// What to install and where.
struct InstallRequest {
    std::string bundleID; // the identifier the installed app must have
    Url download;         // the disk image
    std::optional<int64_t> length;
    std::optional<std::string> edSignature; // base64 of the image's Ed25519 signature
    Url folder;                             // where the app goes
    std::string build; // the release's CFBundleVersion, which the app must carry

    // Nothing when the entry has no latest release or that release no download.
    static std::optional<InstallRequest> from(const AppEntry& entry, const Url& folder);

    friend bool operator==(const InstallRequest&, const InstallRequest&) = default;
};

struct InstallResult {
    Url app;
    InstalledApp installed; // as read back from app

    friend bool operator==(const InstallResult&, const InstallResult&) = default;
};

struct InstallError {
    enum class Kind {
        download,     // downloadError
        wrongLength,  // expected, actual
        attach,       // text: the attach error's description
        codeCheck,    // codeCheckError
        alreadyThere, // text: the file name of the app found or the name taken
        copy,         // code: an errno
        notWritable,
        unsigned_, // the request lacks a positive length or a signature
        badSignature,
        noApp
    };
    Kind kind = Kind::noApp;
    DownloadError downloadError;
    int64_t expected = 0;
    int64_t actual = 0;
    std::string text;
    CodeCheckError codeCheckError;
    int64_t code = 0;

    static InstallError of(Kind kind) {
        InstallError error;
        error.kind = kind;
        return error;
    }
    static InstallError download(DownloadError cause) {
        InstallError error = of(Kind::download);
        error.downloadError = cause;
        return error;
    }
    static InstallError wrongLength(int64_t expected, int64_t actual) {
        InstallError error = of(Kind::wrongLength);
        error.expected = expected;
        error.actual = actual;
        return error;
    }
    static InstallError attach(std::string description) {
        InstallError error = of(Kind::attach);
        error.text = std::move(description);
        return error;
    }
    static InstallError codeCheck(CodeCheckError cause) {
        InstallError error = of(Kind::codeCheck);
        error.codeCheckError = cause;
        return error;
    }
    static InstallError alreadyThere(std::string name) {
        InstallError error = of(Kind::alreadyThere);
        error.text = std::move(name);
        return error;
    }
    static InstallError copy(int64_t code) {
        InstallError error = of(Kind::copy);
        error.code = code;
        return error;
    }

    // Exactly a canceled download.
    bool isCancel() const;
    UpdateFailure failure() const;

    friend bool operator==(const InstallError&, const InstallError&) = default;
};

// "wrongLength(10, 9)", "download(canceled)" and the like.
std::string describe(const InstallError& error);

// Installs an app for the first time from a signed disk image. All collaborators are
// injected so the pipeline can run against fakes; the defaults are the real ones.
struct Installer {
    using Requirement = std::function<std::string(std::string_view bundleID)>;
    // options name the partial file to resume and keep; the rest are the defaults.
    using Fetch = std::function<std::expected<void, DownloadError>(
        const Url& url, const std::filesystem::path& file, uint64_t limit,
        const Download::Progress& progress, std::stop_token stop,
        const Download::Options& options)>;
    using Resumed = std::function<void(std::string_view bundleID, uint64_t offset)>;
    using Step = std::function<void(const UpdateStep&)>;

    struct Images {
        std::function<std::expected<AttachedImage, DiskImageError>(const Url& image,
                                                                   const Url& mountPoint)>
            attach;
        std::function<std::expected<void, DiskImageError>(const AttachedImage&)> detach;

        // DiskImage::attach and DiskImage::detach through tool.
        static Images system(const std::string& tool = DiskImage::defaultTool());
    };

    UpdateSignature key; // signs the maker's downloads
    Requirement requirement = velmarRequirement;
    Fetch fetch = systemFetch;
    Resumed resumed = nullptr; // told when a download continues one that failed before, for logs
    Images images = Images::system();
    std::filesystem::path work = defaultWork(); // parent of the per-install working folders
    CodeCheck::Anchors anchors;                 // whom the code check trusts

    // The Developer ID requirement of the Velmar team for bundleID.
    static std::string velmarRequirement(std::string_view bundleID);
    static std::expected<void, DownloadError>
    systemFetch(const Url& url, const std::filesystem::path& file, uint64_t limit,
                const Download::Progress& progress, std::stop_token stop,
                const Download::Options& options);
    static std::filesystem::path defaultWork();

    // Downloads, verifies, attaches, checks and moves the app into request.folder.
    // The app must carry request.bundleID and request.build: a correctly signed image
    // of another release is refused as failing its requirement. A length beyond the
    // free space of the working folder is refused (download(noRoom)) before any byte
    // is fetched. A download that fails or is canceled is kept in work for the next
    // attempt to resume (PartialDownload); once complete it is checked whole. On
    // failure the folder is left as it was, except that an app whose read-back fails
    // stays installed. Blocks; step is called on the caller's thread;
    // stop reaches the download only.
    std::expected<InstallResult, InstallError>
    install(const InstallRequest& request, const Step& step, std::stop_token stop = {}) const;

    // The length and signature checks of a downloaded image, the file mapped rather
    // than read into memory.
    static std::expected<void, InstallError> verify(const std::filesystem::path& file,
                                                    int64_t length, std::string_view edSignature,
                                                    const UpdateSignature& key);
};

} // namespace kestle
