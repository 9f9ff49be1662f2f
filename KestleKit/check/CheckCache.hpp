#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestle {

// The last good catalog envelope and feed of each app, exactly as downloaded, so
// the list stays usable offline. Writes are atomic and their errors ignored: the
// cache never changes a check's outcome.
class CheckCache {
public:
    // Cached files larger than this are treated as absent.
    static constexpr size_t maxFileBytes = 32 * 1024 * 1024;

    explicit CheckCache(std::filesystem::path folder) : folder_(std::move(folder)) {}

    const std::filesystem::path& folder() const { return folder_; }

    std::optional<std::string> readCatalog() const;
    void writeCatalog(std::string_view bytes) const;
    std::optional<std::string> readFeed(std::string_view appID) const;
    void writeFeed(std::string_view appID, std::string_view bytes) const;

    // "feed-<id>.xml"; nothing for an id that could name a file outside the folder.
    static std::optional<std::string> feedFileName(std::string_view appID);

private:
    std::optional<std::string> read(const std::string& name) const;
    void write(const std::string& name, std::string_view bytes) const;

    std::filesystem::path folder_;
};

} // namespace kestle
