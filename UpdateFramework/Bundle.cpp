#include "Bundle.hpp"

#include "support/AtomicFile.hpp"

namespace kestle::framework {

std::optional<Bundle> Bundle::open(const std::filesystem::path& path) {
    auto bytes = AtomicFile::read(path / "Contents/Info.plist", PropertyList::maxBytes);
    if (!bytes) {
        return std::nullopt;
    }
    auto info = PropertyList::parse(*bytes);
    if (!info || !info->isDictionary()) {
        return std::nullopt;
    }
    return Bundle(path, std::make_shared<const PropertyList>(std::move(*info)));
}

std::optional<std::string> Bundle::string(std::string_view key) const {
    return info_->string(key);
}

std::optional<std::filesystem::path> Bundle::executable() const {
    auto name = string("CFBundleExecutable");
    if (!name || name->empty() || *name == "." || *name == ".." ||
        name->find('/') != std::string::npos) {
        return std::nullopt;
    }
    return path_ / "Contents/MacOS" / *name;
}

} // namespace kestle::framework
