#include "check/CheckCache.hpp"

#include <system_error>

#include "support/AtomicFile.hpp"

namespace kestle {

std::optional<std::string> CheckCache::feedFileName(std::string_view appID) {
    // Ids come from the signed catalog, but a '/' (or a NUL) would still let one
    // name a file elsewhere on disk; such an app simply goes uncached.
    if (appID.find('/') != std::string_view::npos || appID.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return "feed-" + std::string(appID) + ".xml";
}

std::optional<std::string> CheckCache::readCatalog() const {
    return read("catalog.json");
}

void CheckCache::writeCatalog(std::string_view bytes) const {
    write("catalog.json", bytes);
}

std::optional<std::string> CheckCache::readFeed(std::string_view appID) const {
    auto name = feedFileName(appID);
    return name ? read(*name) : std::nullopt;
}

void CheckCache::writeFeed(std::string_view appID, std::string_view bytes) const {
    if (auto name = feedFileName(appID)) {
        write(*name, bytes);
    }
}

std::optional<std::string> CheckCache::read(const std::string& name) const {
    return AtomicFile::read(folder_ / name, maxFileBytes);
}

void CheckCache::write(const std::string& name, std::string_view bytes) const {
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);
    (void)AtomicFile::write(folder_ / name, bytes);
}

} // namespace kestle
