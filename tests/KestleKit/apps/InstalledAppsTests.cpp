#include "apps/InstalledApps.hpp"

#include <cstdlib>
#include <variant>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include "helpers/PlistBuilder.hpp"
#include "helpers/TempFolder.hpp"

using kestle::InstalledApp;
using kestle::InstalledApps;
using kestle::Url;
using kestle::test::PlistFormat;
using kestle::test::serialized;
using kestle::test::TempFolder;
namespace bplist = kestle::test::bplist;
namespace fs = std::filesystem;

namespace {

using Value = std::variant<std::monostate, std::string, uint64_t>;

// An Info.plist with document types, as apps ship it, around the given keys.
std::string infoPlist(const std::vector<std::pair<std::string, Value>>& keys,
                      PlistFormat format = PlistFormat::xml) {
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
    return serialized(dict, format);
}

void writeBundle(const fs::path& bundle, const std::string& plist) {
    TempFolder::writeText(bundle / "Contents/Info.plist", plist);
}

TEST(InstalledApps, ReadsXmlAndBinaryAlike) {
    TempFolder temp;
    auto bundle = temp / "Tool #1 100%.app"; // characters a URL must escape
    fs::create_directory(temp / "x");
    auto given = Url::fromPath((temp / "x/.." / bundle.filename()).string());
    const std::pair<Value, const char*> shortVersions[] = {
        {"1.4", "1.4"}, {"", ""}, {uint64_t(3), "42"}, {std::monostate{}, "42"}};
    for (auto format : {PlistFormat::xml, PlistFormat::binary}) {
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
    std::vector<std::string> doubling; // each array holds the next one twice
    for (uint64_t i = 1; i < 40; ++i) {
        doubling.push_back(bplist::container({i, i}));
    }
    doubling.push_back(bplist::ascii("x"));

    const std::pair<const char*, std::string> cases[] = {
        {"build missing", infoPlist({{"CFBundleIdentifier", "a"}})},
        {"build a number", infoPlist({{"CFBundleIdentifier", "a"}, {"CFBundleVersion", 1ull}})},
        {"identifier missing", infoPlist({{"CFBundleVersion", "1"}}, PlistFormat::binary)},
        {"identifier a number",
         infoPlist({{"CFBundleIdentifier", 5ull}, {"CFBundleVersion", "1"}}, PlistFormat::binary)},
        {"not a dictionary", "<plist><array><string>a</string></array></plist>"},
        // Guarded like any other property list read from outside.
        {"binary array shared at every level", bplist::file(doubling)},
    };
    for (const auto& [name, bytes] : cases) {
        auto bundle = temp / "Tool.app";
        writeBundle(bundle, bytes);
        EXPECT_FALSE(InstalledApps::read(Url::fromPath(bundle.string()))) << name;
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
