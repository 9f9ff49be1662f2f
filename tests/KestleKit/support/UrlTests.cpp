#include "support/Url.hpp"

#include <algorithm>

#include <gtest/gtest.h>

#include "support/Base64.hpp"

using kestle::Base64;
using kestle::Url;

namespace {

TEST(Url, AcceptsUrlsAndRelativeReferencesOnly) {
    const char* accepted[] = {"https://velmar.example/feed.xml",
                              "file:///tmp/catalog.json",
                              "icons/app.png",
                              "/absolute/path",
                              "HTTPS://velmar.example/a",
                              "https://velmar.example/a%20b"};
    for (const char* text : accepted) {
        EXPECT_TRUE(Url::parse(text).has_value()) << text;
    }
    const char* refused[] = {"",
                             " ",
                             "https://velmar.example/a b",
                             "icons/a\tb.png",
                             "https://velmar.example/%zz",
                             "https://velmar.example/%4",
                             "line\nbreak",
                             "https://velmar.example/<x>"};
    for (const char* text : refused) {
        EXPECT_FALSE(Url::parse(text).has_value()) << text;
    }
}

// Plain web URLs skip libcurl's parser; whatever that shortcut accepts, libcurl
// must accept too, and it must not accept what libcurl refuses.
TEST(Url, QuickPathAgreesWithLibcurl) {
    const char* texts[] = {"https://velmar.example/app.dmg",
                           "http://velmar.example:8080/a?b=c#d",
                           "https://velmar.example",
                           "https://-bad.example/",
                           "https://velmar.example:/x",
                           "https://velmar.example:123456/x",
                           "https://.example/",
                           "https://velmar.example/%41",
                           "https:///x",
                           "https://velmar.example/a'b(c)",
                           "https://h_st.example/"};
    for (const char* text : texts) {
        auto quick = Url::parse(text);
        std::string upper = text; // an upper-case scheme is not on the quick path
        std::transform(upper.begin(), upper.begin() + 4, upper.begin(), ::toupper);
        auto viaCurl = Url::parse(upper);
        EXPECT_EQ(quick.has_value(), viaCurl.has_value()) << text;
    }
}

TEST(Url, StandardizesAndTellsFileFromRemote) {
    auto url = *Url::parse("HTTPS://velmar.example/a/./b/../c.xml");
    EXPECT_EQ(url.str(), "HTTPS://velmar.example/a/./b/../c.xml");
    EXPECT_EQ(url.standardized().str(), "https://velmar.example/a/c.xml");
    EXPECT_TRUE(url.isRemote());
    EXPECT_FALSE(url.isFile());
    EXPECT_EQ(url.host(), "velmar.example");

    auto file = Url::fromPath("/tmp/Velmar Kestle/catalog.json");
    EXPECT_TRUE(file.isFile());
    EXPECT_FALSE(file.isRemote());
    EXPECT_EQ(file.path(), "/tmp/Velmar Kestle/catalog.json");
    EXPECT_EQ(file.lastPathComponent(), "catalog.json");
    EXPECT_EQ(Url::parse(file.str()), file);

    auto relative = *Url::parse("icons/app.png");
    EXPECT_FALSE(relative.isAbsolute());
    EXPECT_FALSE(relative.isRemote());
    EXPECT_FALSE(relative.resolved(relative).has_value());
}

TEST(Base64, DecodesStrictlyPaddedTextOnly) {
    EXPECT_EQ(Base64::encode(std::string_view("any carnal pleas")), "YW55IGNhcm5hbCBwbGVhcw==");
    auto decoded = Base64::decode("YW55IGNhcm5hbCBwbGVhcw==");
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(std::string(decoded->begin(), decoded->end()), "any carnal pleas");
    EXPECT_TRUE(Base64::decode("")->empty());
    EXPECT_EQ(Base64::decode("YQ==")->size(), 1u);
    EXPECT_EQ(Base64::decode("YWI=")->size(), 2u);
    const char* refused[] = {"YW55IGNhcm5hbCBwbGVhcw",    "YW55IGNh\ncm5hbCBwbGVhcw==",
                             "YW55 IGNhcm5hbCBwbGVhcw==", "YW55IGNhcm5hbCBwbGVhcw==\n",
                             "YW55-GNhcm5hbCBwbGVhcw==",  "=YW5"};
    for (const char* text : refused) {
        EXPECT_FALSE(Base64::decode(text).has_value()) << text;
    }
}

} // namespace
