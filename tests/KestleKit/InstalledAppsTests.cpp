#include "InstalledApps.hpp"

#include <cstdlib>
#include <functional>
#include <variant>

#include <fcntl.h>
#include <pthread.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include "TempFolder.hpp"

using kestle::InstalledApp;
using kestle::InstalledApps;
using kestle::Url;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace {

enum class Format { xml, binary };
using Value = std::variant<std::monostate, std::string, uint64_t>;

// An Info.plist with document types, as apps ship it, around the given keys.
std::string infoPlist(const std::vector<std::pair<std::string, Value>>& keys,
                      Format format = Format::xml) {
    plist_t dict = plist_new_dict();
    plist_t types = plist_new_array();
    for (const char* name : {"Text", "Image"}) {
        plist_t type = plist_new_dict();
        plist_dict_set_item(type, "CFBundleTypeName", plist_new_string(name));
        plist_dict_set_item(type, "CFBundleTypeRole", plist_new_string("Viewer"));
        plist_array_append_item(types, type);
    }
    plist_dict_set_item(dict, "CFBundleDocumentTypes", types);
    for (const auto& [key, value] : keys) {
        auto* text = std::get_if<std::string>(&value);
        plist_dict_set_item(dict, key.c_str(),
                            text ? plist_new_string(text->c_str())
                                 : plist_new_uint(std::get<uint64_t>(value)));
    }
    char* bytes = nullptr;
    uint32_t length = 0;
    format == Format::xml ? plist_to_xml(dict, &bytes, &length)
                          : plist_to_bin(dict, &bytes, &length);
    std::string out(bytes, length);
    free(bytes);
    plist_free(dict);
    return out;
}

void writeBundle(const fs::path& bundle, const std::string& plist) {
    TempFolder::writeText(bundle / "Contents/Info.plist", plist);
}

// Hand-made binary plist objects: a marker with its count, then references or
// bytes. References and offsets are three bytes wide.
std::string bigEndian(uint64_t value, int width) {
    std::string out;
    for (int i = width - 1; i >= 0; --i) {
        out += static_cast<char>(value >> (8 * i));
    }
    return out;
}
std::string marker(int type, size_t count) {
    if (count < 15) {
        return std::string(1, static_cast<char>(type << 4 | count));
    }
    std::string out(1, static_cast<char>(type << 4 | 15));
    out += '\x13';
    out += bigEndian(count, 8);
    return out;
}
std::string ascii(const std::string& text) {
    return marker(0x5, text.size()) + text;
}
std::string array(const std::vector<uint64_t>& refs, int type = 0xA) {
    std::string out = marker(type, type == 0xD ? refs.size() / 2 : refs.size());
    for (auto ref : refs) {
        out += bigEndian(ref, 3);
    }
    return out;
}

// A binary Info.plist, valid but for the value of "X": the objects given, the first
// of them at index kFirst.
constexpr uint64_t kFirst = 6;
std::string binaryInfoPlist(const std::vector<std::string>& x) {
    std::vector<std::string> objects{array({1, 3, 5, 2, 4, kFirst}, 0xD),
                                     ascii("CFBundleIdentifier"),
                                     ascii("a"),
                                     ascii("CFBundleVersion"),
                                     ascii("1"),
                                     ascii("X")};
    objects.insert(objects.end(), x.begin(), x.end());
    std::string out = "bplist00", table;
    for (const auto& object : objects) {
        table += bigEndian(out.size(), 3);
        out += object;
    }
    return out + table + std::string(6, '\0') + "\3\3" + bigEndian(objects.size(), 8) +
           bigEndian(0, 8) + bigEndian(out.size(), 8);
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

TEST(InstalledApps, ReadsXmlAndBinaryAlike) {
    TempFolder temp;
    auto bundle = temp / "Tool #1 100%.app"; // characters a URL must escape
    fs::create_directory(temp / "x");
    auto given = Url::fromPath((temp / "x/.." / bundle.filename()).string());
    const std::pair<Value, const char*> shortVersions[] = {
        {"1.4", "1.4"}, {"", ""}, {uint64_t(3), "42"}, {std::monostate{}, "42"}};
    for (auto format : {Format::xml, Format::binary}) {
        for (const auto& [shortVersion, expected] : shortVersions) {
            std::vector<std::pair<std::string, Value>> keys{
                {"CFBundleIdentifier", "com.velmar.tool"}, {"CFBundleVersion", "42"}};
            if (!std::holds_alternative<std::monostate>(shortVersion)) {
                keys.emplace_back("CFBundleShortVersionString", shortVersion);
            }
            writeBundle(bundle, infoPlist(keys, format));
            auto read = InstalledApps::read(given);
            ASSERT_TRUE(read.has_value()) << expected;
            EXPECT_EQ(read->first, "com.velmar.tool");
            EXPECT_EQ(read->second, (InstalledApp{Url::fromPath(bundle.string()), expected, "42"}));
            EXPECT_EQ(read->second.url.path(), bundle.string());
        }
    }
}

TEST(InstalledApps, SkipsBrokenOrHostileInfoPlists) {
    TempFolder temp;
    auto valid = infoPlist({{"CFBundleIdentifier", "a"}, {"CFBundleVersion", "1"}});
    auto validBinary =
        infoPlist({{"CFBundleIdentifier", "a"}, {"CFBundleVersion", "1"}}, Format::binary);
    auto dictEnd = valid.rfind("</dict>");
    std::string deepXml = valid.substr(0, dictEnd) + "<key>X</key>";
    for (int i = 0; i < 130000; ++i) {
        deepXml += i < 65000 ? "<array>" : "</array>";
    }
    deepXml += valid.substr(dictEnd);
    std::vector<std::string> chain; // each array holds the next
    for (uint64_t i = 1; i < 100000; ++i) {
        chain.push_back(array({kFirst + i}));
    }
    chain.push_back(array({}));
    std::vector<std::string> doubling; // each array holds the next one twice
    for (uint64_t i = 1; i < 40; ++i) {
        doubling.push_back(array({kFirst + i, kFirst + i}));
    }
    doubling.push_back(ascii("x"));

    const std::pair<const char*, std::string> cases[] = {
        {"build missing", infoPlist({{"CFBundleIdentifier", "a"}})},
        {"build a number", infoPlist({{"CFBundleIdentifier", "a"}, {"CFBundleVersion", 1ull}})},
        {"identifier missing", infoPlist({{"CFBundleVersion", "1"}}, Format::binary)},
        {"identifier a number",
         infoPlist({{"CFBundleIdentifier", 5ull}, {"CFBundleVersion", "1"}}, Format::binary)},
        {"not a dictionary", "<plist><array><string>a</string></array></plist>"},
        {"garbage", "\x01\x02 not a property list"},
        {"empty", ""},
        {"truncated XML", valid.substr(0, valid.size() / 2)},
        {"truncated binary", validBinary.substr(0, validBinary.size() - 10)},
        {"over a MiB",
         valid.substr(0, dictEnd) + std::string(1 << 20, ' ') + valid.substr(dictEnd)},
        {"deeply nested XML", deepXml},
        {"deeply nested binary", binaryInfoPlist(chain)},
        {"binary array shared at every level", binaryInfoPlist(doubling)},
        {"binary string referenced 200,000 times",
         binaryInfoPlist({array(std::vector<uint64_t>(200000, kFirst + 1)), ascii("x")})},
        {"big binary string referenced 1,000 times",
         binaryInfoPlist(
             {array(std::vector<uint64_t>(1000, kFirst + 1)), ascii(std::string(500000, 'x'))})},
    };
    for (const auto& [name, bytes] : cases) {
        auto bundle = temp / "Tool.app";
        writeBundle(bundle, bytes);
        onSmallStack(
            [&] { EXPECT_FALSE(InstalledApps::read(Url::fromPath(bundle.string()))) << name; });
    }

    // Files that are not regular files must be refused without blocking on them.
    auto plist = temp / "Odd.app/Contents/Info.plist";
    fs::create_directories(plist.parent_path());
    ASSERT_EQ(mkfifo(plist.c_str(), 0600), 0);
    EXPECT_FALSE(InstalledApps::read(Url::fromPath((temp / "Odd.app").string())));
    fs::remove(plist);
    fs::create_directory(plist);
    EXPECT_FALSE(InstalledApps::read(Url::fromPath((temp / "Odd.app").string())));
    EXPECT_FALSE(InstalledApps::read(Url::fromPath((temp / "Missing.app").string())));
    EXPECT_FALSE(InstalledApps::read(*Url::parse("https://velmar.example/Tool.app")));
}

TEST(InstalledApps, ScanPrefersEarlierFolderThenNewerBuildThenFirstName) {
    TempFolder temp;
    auto system = temp / "System", user = temp / "User";
    const std::pair<fs::path, std::pair<const char*, const char*>> bundles[] = {
        {system / "Both.app", {"com.both", "1"}},
        {user / "Both.app", {"com.both", "9"}},
        {user / "Mine.app", {"com.mine", "1"}},
        {system / "Tool.app", {"com.tool", "1.2"}},
        {system / "Tool 2.app", {"com.tool", "1.10"}},
        {system / "Old 2.app", {"com.old", "3"}},
        {system / "Old.app", {"com.old", "2"}},
        {system / "Same 2.app", {"com.same", "5"}},
        {system / "Same.app", {"com.same", "5"}},
        {system / "Unasked.app", {"com.unasked", "1"}},
        // Only visible .app entries at the top level count.
        {system / "Utilities/Nested.app", {"com.nested", "1"}},
        {system / "Upper.APP", {"com.upper", "1"}},
        {system / ".Hidden.app", {"com.hidden", "1"}},
        {system / "Archive.app.zip", {"com.archive", "1"}},
    };
    for (const auto& [path, info] : bundles) {
        writeBundle(path, infoPlist({{"CFBundleIdentifier", info.first},
                                     {"CFBundleVersion", info.second}}));
    }
    InstalledApps apps({Url::fromPath((temp / "Missing").string()),
                        *Url::parse("https://velmar.example/Applications"),
                        Url::fromPath((system / "../System/.").string()),
                        Url::fromPath(user.string())});
    auto found = apps.scan({"com.both", "com.mine", "com.tool", "com.old", "com.same", "com.nested",
                            "com.upper", "com.hidden", "com.archive"});
    auto app = [](const fs::path& p, const char* build) {
        return InstalledApp{Url::fromPath(p.string()), build, build};
    };
    std::map<std::string, InstalledApp> expected{
        {"com.both", app(system / "Both.app", "1")},
        {"com.mine", app(user / "Mine.app", "1")},
        {"com.tool", app(system / "Tool 2.app", "1.10")},
        {"com.old", app(system / "Old 2.app", "3")},
        {"com.same", app(system / "Same.app", "5")},
    };
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(apps.scan({}).empty());
}

TEST(InstalledApps, StandardFoldersFollowHomeOrTheUserDatabase) {
    const char* saved = std::getenv("HOME");
    std::string restore = saved ? saved : "";
    std::string database = std::string(getpwuid(getuid())->pw_dir) + "/Applications";
    const std::pair<const char*, std::string> cases[] = {
        {"/home/velmar/", "/home/velmar/Applications"}, {nullptr, database}, {"rel", database}};
    for (const auto& [home, expected] : cases) {
        home ? setenv("HOME", home, 1) : unsetenv("HOME");
        EXPECT_EQ(InstalledApps::standardFolders(),
                  (std::vector<Url>{Url::fromPath("/Applications"), Url::fromPath(expected)}))
            << (home ? home : "unset");
    }
    saved ? setenv("HOME", restore.c_str(), 1) : unsetenv("HOME");
}

} // namespace
