#pragma once

#include <string>
#include <vector>

#include "helpers/TestSigning.hpp"

namespace kestle::test {

// A feed offering one release whose image, served at url, is signed with the test key.
inline std::string signedAppcast(const std::string& build, const std::string& version,
                                 const std::string& url, const std::string& image) {
    return R"(<?xml version="1.0"?><rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">)"
           "<channel><item><title>" +
           version + "</title><sparkle:version>" + build +
           "</sparkle:version><sparkle:shortVersionString>" + version +
           "</sparkle:shortVersionString>"
           R"(<enclosure type="application/octet-stream" url=")" +
           url + R"(" length=")" + std::to_string(image.size()) + R"(" sparkle:edSignature=")" +
           TestSigning::shared().sign(image) + R"("/></item></channel></rss>)";
}

} // namespace kestle::test

namespace kestle::test {

// One item of a feed written for a test; only what is set is written.
struct AppcastItem {
    std::string build;
    std::string version = {};
    std::string notes = {};
    std::string date = {}; // as a pubDate, e.g. "Tue, 03 Dec 2024 10:00:00 +0000"
    std::string channel = {};
    std::string minimumSystem = {};
    std::string hardware = {};
    bool download = true;
};

inline std::string appcast(const std::vector<AppcastItem>& items) {
    auto element = [](const std::string& name, const std::string& value) {
        return value.empty() ? std::string() : "<" + name + ">" + value + "</" + name + ">";
    };
    std::string feed =
        R"(<?xml version="1.0"?><rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>)";
    for (const AppcastItem& item : items) {
        feed += "<item>" + element("sparkle:version", item.build) +
                element("sparkle:shortVersionString", item.version) +
                element("pubDate", item.date) + element("sparkle:channel", item.channel) +
                element("sparkle:minimumSystemVersion", item.minimumSystem) +
                element("sparkle:hardwareRequirements", item.hardware);
        if (!item.notes.empty()) {
            feed += "<description><![CDATA[" + item.notes + "]]></description>";
        }
        if (item.download) {
            feed += R"(<enclosure url="https://velmar.example/)" + item.build +
                    R"(.dmg" length="1000"/>)";
        }
        feed += "</item>";
    }
    return feed + "</channel></rss>";
}

// Builds 10 to 14 (1.0 to 1.4) for this machine, the first of two 13s winning, among
// items left out here: on a channel, for another processor, for a newer system, without
// a download. 1.4 is the latest.
inline std::string mixedAppcast() {
    auto dated = [](int day) { return "Tue, " + std::to_string(day) + " Dec 2024 10:00:00 +0000"; };
    return appcast({
        {"12", "1.2", "- Sharper icons", dated(12)},
        {"20", "2.0 beta", "- Beta only", dated(20), "beta"},
        {"10", "1.0", "- First release", dated(10)},
        {"14", "1.4", "- **Faster** search\n- Fixes a crash with `tabs`", dated(14)},
        {"18", "1.8", "- Intel only", dated(18), "", "", "x86_64"},
        {"11", "1.1", "- Dark mode", dated(11)},
        {"17", "1.7", "- Needs a newer system", dated(17), "", "16.0"},
        {"13", "1.3", "- Tags", dated(13)},
        {"19", "1.9", "- Nightly", dated(19), "nightly"},
        {"16", "1.6", "- Not downloadable", dated(16), "", "", "", false},
        {"13", "1.3 again", "- Same build twice", dated(13)},
    });
}

} // namespace kestle::test
