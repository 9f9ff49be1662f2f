#pragma once

#include <expected>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/UniqueFd.hpp"

namespace kestle {

// A private folder for work in progress (a download, a staged copy), marked so that a
// later run can tell it from everything else and remove it once the process that made
// it has ended, however it ended.
class WorkFolder {
public:
    // The file inside that names the process owning the folder.
    static constexpr std::string_view markerName = ".velmarkestle-work";

    // Makes parent/<prefix><UUID>, mode 0700, with the marker of this process inside.
    // The folder is removed when the value goes, unless kept. An errno on failure.
    static std::expected<WorkFolder, int> make(const std::filesystem::path& parent,
                                               std::string_view prefix);
    // Makes folder itself, mode 0700, with the marker inside; an errno, 0 on success.
    static int create(const std::filesystem::path& folder);

    WorkFolder(WorkFolder&&) noexcept = default;
    WorkFolder& operator=(WorkFolder&&) noexcept = default;
    ~WorkFolder() { remove(); }

    const std::filesystem::path& path() const { return path_; }
    // The folder itself and its parent, opened without following links.
    int fd() const { return folder_.get(); }
    int parentFd() const { return parent_.get(); }
    // Through the descriptor, so renaming or replacing the folder's path changes nothing.
    std::filesystem::path pinned(const std::filesystem::path& name) const;

    // Removes the tree through the parent's descriptor; nothing once kept or removed.
    void remove();
    // Leaves the folder on disk, for a later step or the next sweep.
    void keep() { path_.clear(); }

    // Whether the folder open as folder was made by this very process (its marker
    // names it) and only this user can write in it.
    static bool madeHere(int folder);

    // Removes what ended runs left directly in parent: folders named a prefix and a
    // UUID, of this user, holding the marker of a process that no longer runs (or
    // nothing at all). Anything else is never touched. beforeRemoval, when set, sees
    // each folder first (to detach an image attached inside). Returns what went.
    static std::vector<std::filesystem::path>
    sweep(const std::filesystem::path& parent, std::span<const std::string_view> prefixes,
          const std::function<void(const std::filesystem::path&)>& beforeRemoval = {});

private:
    WorkFolder() = default;

    std::filesystem::path path_;
    UniqueFd parent_;
    UniqueFd folder_;
};

} // namespace kestle
