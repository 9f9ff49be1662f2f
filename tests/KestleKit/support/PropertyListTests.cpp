#include "support/PropertyList.hpp"

#include <functional>

#include <pthread.h>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include "helpers/PlistBuilder.hpp"

using kestle::PropertyList;
using kestle::test::PlistFormat;
using kestle::test::serialized;
namespace bplist = kestle::test::bplist;

namespace {

// What the disk-image tool prints on attaching, with a stray entity and two keys of
// other types added.
constexpr std::string_view kAttachOutput = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>system-entities</key><array>
<dict><key>content-hint</key><string>GUID_partition_scheme</string>
<key>dev-entry</key><string>/dev/disk4</string></dict>
<string>/dev/disk9</string>
<dict><key>dev-entry</key><string>/dev/disk4s1</string>
<key>mount-point</key><string>/tmp/Outil é</string></dict>
</array>
<key>count</key><integer>3</integer>
<key>empty</key><string></string>
</dict></plist>
)";

std::string inFormat(std::string_view xml, PlistFormat format) {
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    return serialized(root, format);
}

// libplist recurses as deep as the plist nests, on whatever thread reads it.
void onSmallStack(std::function<void()> body) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    auto run = [](void* f) -> void* {
        (*static_cast<std::function<void()>*>(f))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &body), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

TEST(PropertyList, ReadsTextAndEntitiesFromXmlAndBinary) {
    for (auto format : {PlistFormat::xml, PlistFormat::binary}) {
        SCOPED_TRACE(format == PlistFormat::xml ? "XML" : "binary");
        auto list = PropertyList::parse(inFormat(kAttachOutput, format));
        ASSERT_TRUE(list);
        EXPECT_TRUE(list->isDictionary());
        const std::pair<std::string_view, std::optional<std::string>> keys[] = {
            {"empty", ""},
            {"count", std::nullopt},
            {"system-entities", std::nullopt},
            {"missing", std::nullopt},
            {std::string_view("empty\0x", 7), std::nullopt}, // not a C-string prefix match
        };
        for (const auto& [key, expected] : keys) {
            EXPECT_EQ(list->string(key), expected) << key;
        }

        auto entities = list->dictionaries("system-entities");
        ASSERT_EQ(entities.size(), 2u);
        EXPECT_EQ(PropertyList::string(entities[0], "dev-entry"), "/dev/disk4");
        EXPECT_EQ(PropertyList::string(entities[0], "mount-point"), std::nullopt);
        EXPECT_EQ(PropertyList::string(entities[1], "dev-entry"), "/dev/disk4s1");
        EXPECT_EQ(PropertyList::string(entities[1], "mount-point"), "/tmp/Outil é");
        EXPECT_TRUE(list->dictionaries("count").empty());
        EXPECT_TRUE(list->dictionaries("missing").empty());
    }

    auto array = PropertyList::parse("<plist><array><dict/></array></plist>");
    ASSERT_TRUE(array);
    EXPECT_FALSE(array->isDictionary());
    EXPECT_EQ(array->string("x"), std::nullopt);
    EXPECT_TRUE(array->dictionaries("x").empty());
    EXPECT_EQ(PropertyList::string(nullptr, "x"), std::nullopt);
}

TEST(PropertyList, RefusesMalformedHostileOrOversizedInput) {
    auto xml = inFormat(kAttachOutput, PlistFormat::xml);
    auto binary = inFormat(kAttachOutput, PlistFormat::binary);
    auto padded = [&](size_t size) {
        auto end = xml.rfind("</dict>");
        return xml.substr(0, end) + std::string(size - xml.size(), ' ') + xml.substr(end);
    };
    auto xmlNested = [](int depth) {
        std::string out = "<plist><dict><key>X</key>";
        for (int i = 0; i < 2 * depth; ++i) {
            out += i < depth ? "<array>" : "</array>";
        }
        return out + "</dict></plist>";
    };
    auto chain = [](uint64_t depth) { // each array holds the next
        std::vector<std::string> objects;
        for (uint64_t i = 1; i < depth; ++i) {
            objects.push_back(bplist::container({i}));
        }
        objects.push_back(bplist::container({}));
        return bplist::file(objects);
    };
    std::vector<std::string> doubling; // each array holds the next one twice
    for (uint64_t i = 1; i < 40; ++i) {
        doubling.push_back(bplist::container({i, i}));
    }
    doubling.push_back(bplist::ascii("x"));
    auto referenced = [](size_t times, const std::string& text) {
        return bplist::file(
            {bplist::container(std::vector<uint64_t>(times, 1)), bplist::ascii(text)});
    };

    const std::tuple<const char*, std::string, bool> cases[] = {
        {"as large as allowed", padded(PropertyList::maxBytes), true},
        {"one byte larger", padded(PropertyList::maxBytes + 1), false},
        {"empty", "", false},
        {"garbage", "\x01\x02 not a property list", false},
        {"XML with a NUL inside a text",
         std::string("<plist><dict><key>A</key><string>ab") + std::string(1, '\0') +
             std::string(40, 'c') + "</string></dict></plist>",
         false},
        {"binary header alone", "bplist00", false},
        {"truncated XML", xml.substr(0, xml.size() / 2), false},
        {"truncated binary", binary.substr(0, binary.size() - 10), false},
        {"XML nested 4,000 deep", xmlNested(4000), true},
        {"XML nested 65,000 deep", xmlNested(65000), false},
        {"binary nested 500 deep", chain(500), true},
        {"binary nested 4,000 deep", chain(4000), false},
        {"binary array holding itself", bplist::file({bplist::container({0})}), false},
        {"binary array shared at every level", bplist::file(doubling), false},
        // Writers share equal scalars; that alone must not be refused.
        {"binary string referenced 1,000 times", referenced(1000, "x"), true},
        {"binary string referenced 200,000 times", referenced(200000, "x"), false},
        {"big binary string referenced 1,000 times", referenced(1000, std::string(500000, 'x')),
         false},
    };
    for (const auto& [name, bytes, accepted] : cases) {
        onSmallStack([&] { EXPECT_EQ(PropertyList::parse(bytes).has_value(), accepted) << name; });
    }
}

} // namespace
