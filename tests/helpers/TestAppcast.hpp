#pragma once

#include <string>

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
