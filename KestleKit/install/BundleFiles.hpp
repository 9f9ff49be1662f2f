#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestle {

// File work shared by everything that puts an app bundle in place: unique folder
// names, copies that never follow links, and removal of trees that were made
// read-only.
struct BundleFiles {
    // A random version-4 UUID in upper case, for private working folders.
    static std::string uniqueName();

    // Removes a tree whose folders may have lost their write bits (an extracted image
    // is read-only). The walk goes from descriptor to descriptor and never follows a
    // link, so swapping a folder of the tree for a link while it runs reaches nothing
    // outside it. Errors are ignored.
    static void removeTree(const std::filesystem::path& path);
    // The same for the entry name of the folder open as folder.
    static void removeAt(int folder, const std::filesystem::path& name);

    // Copies app into intoFolder under the same name: links as links, never followed;
    // no set-user-id or set-group-id bits; the owner may write everything copied; every
    // file and folder synced to disk. Devices, FIFOs and sockets are refused (ENOTSUP),
    // trees deeper than 128 levels too (ELOOP). Returns an errno, 0 on success.
    static int copy(const std::filesystem::path& app, const std::filesystem::path& intoFolder);
    static int copy(const std::filesystem::path& app, int intoFolder);

    // The names in the folder open as folder, without "." and "..": read whole, so
    // that entries can be removed while going through them.
    static std::vector<std::string> names(int folder);

    // A path to name in the folder open as folder that reaches that very folder however
    // its own path is renamed or replaced meanwhile: what was checked there is what is
    // read.
    static std::filesystem::path pinned(int folder, const std::filesystem::path& name);

    // The one real app folder (not a link, no leading dot) with that identifier at the
    // top level of folder; nothing when there is none or more than one.
    static std::optional<std::filesystem::path> findApp(const std::filesystem::path& folder,
                                                        const std::string& bundleID);
};

} // namespace kestle
