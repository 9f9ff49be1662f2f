#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "support/PropertyList.hpp"

namespace kestle::framework {

// An application bundle and its Info.plist, read once when opened.
class Bundle {
public:
    // Nothing when path is not a folder with a readable Contents/Info.plist dictionary.
    static std::optional<Bundle> open(const std::filesystem::path& path);

    const std::filesystem::path& path() const { return path_; }
    // A text value of the Info.plist; nothing when absent or of another type.
    std::optional<std::string> string(std::string_view key) const;
    std::optional<std::string> identifier() const { return string("CFBundleIdentifier"); }
    // CFBundleVersion: what updates are compared on.
    std::optional<std::string> version() const { return string("CFBundleVersion"); }
    std::optional<std::string> shortVersion() const { return string("CFBundleShortVersionString"); }
    // Contents/MacOS/<CFBundleExecutable>; nothing when the key is missing or not a plain name.
    std::optional<std::filesystem::path> executable() const;

private:
    Bundle(std::filesystem::path path, std::shared_ptr<const PropertyList> info)
        : path_(std::move(path)), info_(std::move(info)) {}

    std::filesystem::path path_;
    std::shared_ptr<const PropertyList> info_;
};

} // namespace kestle::framework
