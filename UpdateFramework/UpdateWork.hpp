#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "AppcastItem.hpp"
#include "codesign/CodeCheck.hpp"
#include "support/UpdateSignature.hpp"
#include "support/Url.hpp"
#include "updates/PlatformError.hpp"

namespace kestle::framework {

// The blocking steps of an update cycle, run off the main thread. Each fails with an
// updater error (UpdaterError) and leaves nothing behind when it fails.
struct UpdateWork {
    struct Appcast {
        Url url;
        std::string userAgent;
        std::string currentBuild; // the installed CFBundleVersion
        std::string system;       // what minimum system versions are compared with
        std::string architecture;
    };

    // The newest item of the appcast newer than the current build that is on no
    // channel and runs here (with or without a download); nothing when there is none.
    // Returns at once, as a failure, when stop fires.
    static std::expected<std::optional<AppcastItem>, PlatformError> newest(const Appcast& appcast,
                                                                           std::stop_token stop);

    // Downloads the item's file to file; more bytes than announced fail as validation,
    // an announced size beyond the free space of file's folder as fileCopy, before
    // anything is fetched. A download that fails is kept among the partial downloads of
    // partials (when not empty) for the next attempt to resume.
    static std::expected<void, PlatformError>
    download(const AppcastItem& item, const std::filesystem::path& file,
             const std::string& userAgent, const std::function<void(uint64_t, uint64_t)>& progress,
             std::stop_token stop, const std::filesystem::path& partials = {});

    struct Preparation {
        std::filesystem::path image;      // the downloaded file
        std::filesystem::path mountPoint; // an empty place for the image's contents
        std::filesystem::path installed;  // the bundle being updated
        std::string identifier;           // its bundle identifier
        UpdateSignature key;              // from its "SUPublicEDKey"
        CodeCheck::Anchors anchors;
        std::string diskTool;
    };

    // Checks the download's length and signature, opens the image, checks the app in it
    // (same identifier, signed by the installed app's team) and copies it into staging,
    // a new private folder beside the installed bundle. The copy must be the announced
    // build and newer than the installed one (validation). Returns the staged bundle.
    static std::expected<std::filesystem::path, PlatformError>
    prepare(const AppcastItem& item, const Preparation& preparation,
            const std::filesystem::path& staging);

    // Exchanges the staged bundle with the installed one in one step; the old copy is
    // then at staged. The installed bundle must still be a folder with identifier.
    static std::expected<void, PlatformError> swap(const std::filesystem::path& staged,
                                                   const std::filesystem::path& installed,
                                                   const std::string& identifier);

    // The team that signed a bundle, from its code manifest.
    static std::optional<std::string> team(const std::filesystem::path& bundle);
};

} // namespace kestle::framework
