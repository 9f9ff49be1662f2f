#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kestle {

// File work shared by everything that puts an app bundle in place: unique folder
// names, copies that never follow links, and removal of trees that were made
// read-only.
struct BundleFiles {
    // A random version-4 UUID in upper case, for private working folders.
    static std::string uniqueName();

    // Removes a tree whose folders may have lost their write bits (an extracted image
    // is read-only), never following links. Errors are ignored.
    static void removeTree(const std::filesystem::path& path);

    // Copies app into intoFolder under the same name: links as links, never followed;
    // no set-user-id or set-group-id bits; the owner may write everything copied.
    // Devices, FIFOs and sockets are refused (ENOTSUP). Returns an errno, 0 on success.
    static int copy(const std::filesystem::path& app, const std::filesystem::path& intoFolder);

    // The one real app folder (not a link, no leading dot) with that identifier at the
    // top level of folder; nothing when there is none or more than one.
    static std::optional<std::filesystem::path> findApp(const std::filesystem::path& folder,
                                                        const std::string& bundleID);

    // Removes its tree when it goes out of scope.
    class TreeRemoval {
    public:
        explicit TreeRemoval(std::filesystem::path path) : path_(std::move(path)) {}
        ~TreeRemoval() { removeTree(path_); }
        TreeRemoval(const TreeRemoval&) = delete;
        TreeRemoval& operator=(const TreeRemoval&) = delete;

    private:
        std::filesystem::path path_;
    };
};

} // namespace kestle
