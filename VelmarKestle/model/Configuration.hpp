#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "codesign/CodeCheck.hpp"
#include "support/UpdateSignature.hpp"

namespace kestle::app {

// The application's fixed configuration, from its bundle's Info.plist (written when
// it is built). Values that are absent, not text or empty count as absent.
struct Configuration {
    std::filesystem::path bundle; // the application's own .app folder
    std::string bundleID;
    std::string shortVersion = "0.0.0";
    std::string build = "0";
    std::string catalogURL; // trimmed of spaces and tabs; empty: use the sample
    std::optional<UpdateSignature> catalogKey;
    std::optional<UpdateSignature> updateKey;
    CodeCheck::Anchors anchors;                 // the maker's team key and the notary key
    std::vector<std::filesystem::path> folders; // where apps are looked for and installed
    std::string feedURL;                        // SUFeedURL: the application's own updates
    std::string publicEDKey;                    // SUPublicEDKey
    std::string site;
    std::string supportAddress;
    std::string tipPage;

    // Reads bundle/Contents/Info.plist; a missing or unreadable one gives the defaults.
    static Configuration read(const std::filesystem::path& bundle);
    // The sample catalog inside the bundle: Contents/Resources/Catalog/catalog.json.
    std::filesystem::path sampleCatalog() const;
};

} // namespace kestle::app
