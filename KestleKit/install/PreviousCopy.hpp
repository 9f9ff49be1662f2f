#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codesign/CodeCheck.hpp"

namespace kestle {

// Why going back to the kept copy did not happen; nothing on disk changed then.
struct GoBackError {
    enum class Kind {
        noCopy,    // nothing kept for the app, or not where it should be
        changed,   // the installed app is no longer the build that replaced the copy
        signature, // the kept copy's code signature was refused
        files      // the exchange itself failed
    };
    Kind kind = Kind::noCopy;
    int error = 0;              // an errno, for files
    CodeCheckError codeCheck{}; // for signature
};

std::string describe(const GoBackError& error);

// The bundle an update replaced, kept so that the user can go back to it: one copy per
// app, in a private folder of the app's own folder (the same file system, so going back
// is one exchange of names), with a marker saying what it is.
//
// Layout: <folder>/.velmarkestle-previous/<identifier>/<App>.app, the marker beside the
// bundle. The app's slot is the update's own working folder, moved there whole.
struct PreviousCopy {
    static constexpr std::string_view folderName = ".velmarkestle-previous";
    static constexpr std::string_view markerName = ".velmarkestle-kept";

    std::string identifier;
    std::string build;               // of the kept copy
    std::string version;             // of the kept copy, for people
    std::string replacedBy;          // the build an update put in its place
    std::string date;                // when, in UTC: 2026-12-10T12:00:00Z
    std::filesystem::path bundle;    // the kept bundle
    std::filesystem::path installed; // where it was, and where it goes back to
    uint64_t bytes = 0;              // the space it takes on disk, read by find

    // Keeps the bundle named like installed in the working folder staging, which this
    // process made beside installed and which an update has just exchanged the bundles
    // through. Replaces what was kept for identifier before. An errno, 0 on success;
    // on failure staging is left for the caller to remove.
    static int keep(const std::filesystem::path& staging, const std::filesystem::path& installed,
                    const std::string& identifier, const std::string& replacedBy,
                    std::chrono::system_clock::time_point when);

    // What is kept for identifier in folder, when its marker can be read. Walks the
    // copy for its size: call it off the main thread.
    static std::optional<PreviousCopy> find(const std::filesystem::path& folder,
                                            const std::string& identifier);

    // Puts the kept copy back in place of the installed bundle in one exchange, after
    // checking its code signature again (it may have changed on disk since), then
    // removes the newer bundle. The installed bundle must still be the build that
    // replaced the copy. Disk work: call it off the main thread.
    static std::expected<void, GoBackError> restore(const std::filesystem::path& folder,
                                                    const std::string& identifier,
                                                    const CodeCheck::Anchors& anchors);

    // Removes the kept copies in folder whose app is gone, or is no longer the build
    // that replaced them (trashed, reinstalled by hand, or gone back to). Returns what
    // went.
    static std::vector<std::filesystem::path> sweep(const std::filesystem::path& folder);
};

} // namespace kestle
