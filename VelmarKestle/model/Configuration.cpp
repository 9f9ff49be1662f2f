#include "model/Configuration.hpp"

#include <cstdlib>

#include "apps/InstalledApps.hpp"
#include "support/AtomicFile.hpp"
#include "support/PropertyList.hpp"
#include "support/TextTrim.hpp"

namespace kestle::app {

namespace fs = std::filesystem;

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
}

// "~" and "~/x" stand for the user's home.
fs::path expanded(const std::string& folder) {
    if (folder == "~") {
        return homeFolder();
    }
    if (folder.starts_with("~/")) {
        return fs::path(homeFolder()) / folder.substr(2);
    }
    return folder;
}

} // namespace

Configuration Configuration::read(const fs::path& bundle) {
    Configuration config;
    config.bundle = bundle;
    auto bytes = AtomicFile::read(bundle / "Contents/Info.plist", PropertyList::maxBytes);
    auto info = bytes ? PropertyList::parse(*bytes) : std::nullopt;
    auto text = [&](const char* key) -> std::string {
        return info ? info->string(key).value_or("") : "";
    };
    auto nonEmpty = [&](const char* key, std::string fallback) {
        std::string value = text(key);
        return value.empty() ? fallback : value;
    };
    config.bundleID = text("CFBundleIdentifier");
    config.shortVersion = nonEmpty("CFBundleShortVersionString", "0.0.0");
    config.build = nonEmpty("CFBundleVersion", "0");
    const std::string catalogURL = text("VelmarKestleCatalogURL");
    config.catalogURL = std::string(trimmedWhitespace(catalogURL));
    // Keys are not trimmed: a key with a stray line break is a broken configuration.
    config.catalogKey = UpdateSignature::fromPublicKeyBase64(text("VelmarKestleCatalogKey"));
    config.updateKey = UpdateSignature::fromPublicKeyBase64(text("VelmarKestleUpdateKey"));
    if (auto team = UpdateSignature::fromPublicKeyBase64(text("VelmarKestleTeamKey"))) {
        config.anchors.teams.emplace(std::string(CodeCheck::velmarTeam), *team);
    }
    config.anchors.notary = UpdateSignature::fromPublicKeyBase64(text("VelmarKestleNotaryKey"));
    config.feedURL = text("SUFeedURL");
    config.publicEDKey = text("SUPublicEDKey");
    config.site = text("VelmarKestleSite");
    config.supportAddress = text("VelmarKestleSupportAddress");
    config.tipPage = text("VelmarKestleTipPage");
    if (info) {
        for (const std::string& folder : info->strings("VelmarKestleAppFolders")) {
            if (!folder.empty()) {
                config.folders.push_back(expanded(folder));
            }
        }
    }
    if (config.folders.empty()) {
        for (const Url& folder : InstalledApps::standardFolders()) {
            config.folders.emplace_back(folder.path());
        }
    }
    return config;
}

fs::path Configuration::sampleCatalog() const {
    return bundle / "Contents/Resources/Catalog/catalog.json";
}

} // namespace kestle::app
