#include "support/PreferenceStore.hpp"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "helpers/PlistBuilder.hpp"
#include "helpers/TempFolder.hpp"
#include "support/PropertyList.hpp"

namespace kestle {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using test::PlistFormat;
using test::TempFolder;

PreferenceDate at(year_month_day day, milliseconds time = {}) {
    return PreferenceDate(sys_days(day)) + time;
}

// The XML of a node, to compare trees libplist cannot compare itself.
std::string xmlOf(plist_t node) {
    return test::serialized(plist_copy(node), PlistFormat::xml);
}

TEST(PreferenceStoreTests, EveryTypeSurvivesAReopen) {
    using Bytes = std::vector<uint8_t>;
    using List = std::vector<std::string>;
    struct Case {
        const char* key;
        PreferenceValue stored;
        PreferenceValue read;
    };
    const PreferenceDate now = at(2026y / 1 / 3, 10h + 15min + 7s);
    const Case cases[] = {
        {"layout", "table", "table"},
        {"markup", "a&b<c>]]> \"é\" \t\n", "a&b<c>]]> \"é\" \t\n"},
        {"emptyText", "", ""},
        {"checksDaily", false, false},
        {"notifiesUpdates", true, true},
        {"lastCheck", now, now},
        // The file keeps whole seconds: the earlier one, also before the reference date.
        {"subSecond", now + 999ms, now},
        {"before2001", at(1999y / 12 / 31, 23h + 59min + 59s + 250ms),
         at(1999y / 12 / 31, 23h + 59min + 59s)},
        {"justBefore2001", at(2001y / 1 / 1) - 250ms, at(2001y / 1 / 1) - 1s},
        {"before1970", at(1969y / 7 / 20, 20h + 17min + 40s + 500ms),
         at(1969y / 7 / 20, 20h + 17min + 40s)},
        {"farFuture", at(2200y / 1 / 1), at(2069y / 1 / 19, 3h + 14min + 7s)},
        {"alerts", Bytes{0, 0xFF, '{', '}', 0x80}, Bytes{0, 0xFF, '{', '}', 0x80}},
        {"emptyData", Bytes{}, Bytes{}},
        {"AppleLanguages", List{"it"}, List{"it"}},
        {"several", List{"a", "", "b&c"}, List{"a", "", "b&c"}},
        {"emptyList", List{}, List{}},
    };
    TempFolder folder;
    const auto file = folder / "config" / "velmar" / "preferences.plist";
    {
        FilePreferences store(file);
        for (const auto& c : cases) {
            store.set(c.key, c.stored);
            EXPECT_FALSE(store.lastWriteFailed()) << c.key;
            EXPECT_EQ(store.value(c.key), c.read) << c.key << " before reopening";
        }
    }
    struct stat info {};
    ASSERT_EQ(::stat(file.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "a created folder is private";

    FilePreferences reopened(file);
    EXPECT_FALSE(reopened.keptAside());
    for (const auto& c : cases) {
        EXPECT_EQ(reopened.value(c.key), c.read) << c.key;
    }
    EXPECT_EQ(reopened.strings("AppleLanguages"), List{"it"});
    EXPECT_EQ(reopened.date("lastCheck"), now);
}

TEST(PreferenceStoreTests, TypedReadsOfAnotherTypeAreAbsent) {
    std::vector<std::pair<const char*, std::function<std::unique_ptr<PreferenceStore>()>>> stores;
    TempFolder folder;
    stores.emplace_back("memory", [] { return std::make_unique<MemoryPreferences>(); });
    stores.emplace_back("file", [&] {
        fs::remove(folder / "preferences.plist");
        return std::make_unique<FilePreferences>(folder / "preferences.plist");
    });
    const PreferenceValue values[] = {std::string("false"), false, at(2026y / 1 / 3),
                                      std::vector<uint8_t>{1}, std::vector<std::string>{"en"}};
    for (const auto& [name, make] : stores) {
        auto store = make();
        for (const auto& stored : values) {
            store->set("notifiesUpdates", stored);
            const auto index = stored.index();
            // Each typed read answers only for its own type.
            EXPECT_EQ(store->string("notifiesUpdates").has_value(), index == 0) << name << index;
            EXPECT_EQ(store->boolean("notifiesUpdates").has_value(), index == 1) << name << index;
            EXPECT_EQ(store->date("notifiesUpdates").has_value(), index == 2) << name << index;
            EXPECT_EQ(store->data("notifiesUpdates").has_value(), index == 3) << name << index;
            EXPECT_EQ(store->strings("notifiesUpdates").has_value(), index == 4) << name << index;
        }
        store->set("layout", std::string("grid"));
        store->remove("notifiesUpdates");
        store->remove("neverSet");
        EXPECT_FALSE(store->value("notifiesUpdates")) << name;
        EXPECT_EQ(store->string("layout"), "grid") << name << ": remove took only its key";
    }
}

TEST(PreferenceStoreTests, ForeignValuesReadAsAbsentAndSurviveWrites) {
    for (auto format : {PlistFormat::xml, PlistFormat::binary}) {
        plist_t root = plist_new_dict();
        plist_dict_set_item(root, "count", plist_new_uint(42));
        plist_dict_set_item(root, "ratio", plist_new_real(0.5));
        plist_t nested = plist_new_dict();
        plist_dict_set_item(nested, "inner", plist_new_string("x"));
        plist_dict_set_item(root, "nested", nested);
        plist_t mixed = plist_new_array();
        plist_array_append_item(mixed, plist_new_string("en"));
        plist_array_append_item(mixed, plist_new_uint(1));
        plist_dict_set_item(root, "mixedList", mixed);
        plist_dict_set_item(root, "layout", plist_new_string("table"));
        // 4.75 s before the reference date; XML keeps the whole seconds toward it.
        plist_dict_set_item(root, "before2001", plist_new_date(-5, 250000));
        const auto before2001 = at(2001y / 1 / 1) - (format == PlistFormat::xml ? 4s : 4750ms);
        const char* foreign[] = {"count", "ratio", "nested", "mixedList"};
        std::vector<std::string> before;
        for (auto key : foreign) {
            before.push_back(xmlOf(plist_dict_get_item(root, key)));
        }
        TempFolder folder;
        const auto file = folder / "preferences.plist";
        TempFolder::writeText(file, test::serialized(root, format));

        FilePreferences store(file);
        for (auto key : foreign) {
            EXPECT_FALSE(store.value(key)) << key;
        }
        EXPECT_EQ(store.string("layout"), "table");
        EXPECT_EQ(store.date("before2001"), before2001);
        store.set("layout", std::string("grid"));
        ASSERT_FALSE(store.lastWriteFailed());

        auto written = PropertyList::parse(TempFolder::readText(file));
        ASSERT_TRUE(written);
        for (size_t i = 0; i < std::size(foreign); ++i) {
            EXPECT_EQ(xmlOf(plist_dict_get_item(written->root(), foreign[i])), before[i])
                << foreign[i];
        }
        EXPECT_EQ(written->string("layout"), "grid");
    }
}

TEST(PreferenceStoreTests, UnreadableFileIsKeptAsideAndReplaced) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
    };
    auto bytes = [](std::string text) {
        return [text](const fs::path& file) { TempFolder::writeText(file, text); };
    };
    const Case cases[] = {
        {"garbage bytes", bytes("\x89PNG\r\n\x1a\n\xff\x00 not a list")},
        {"an empty file", bytes("")},
        {"a list rooted at an array", bytes("<plist><array><string>a</string></array></plist>")},
        {"a truncated list", bytes("<plist><dict><key>layout</key><string>ta")},
        {"a file too large to trust",
         bytes("<plist><dict>" + std::string(PropertyList::maxBytes, ' ') + "</dict></plist>")},
        {"a FIFO", [](const fs::path& file) { ::mkfifo(file.c_str(), 0600); }},
        {"a folder", [](const fs::path& file) { fs::create_directory(file); }},
    };
    const std::regex asideName(R"(preferences\.plist\.corrupt-\d{8}T\d{6}Z(-\d+)?)");
    for (const auto& c : cases) {
        TempFolder folder;
        const auto file = folder / "preferences.plist";
        c.make(file);
        const auto original = TempFolder::snapshot(folder.path());

        FilePreferences store(file);
        ASSERT_TRUE(store.keptAside()) << c.name;
        EXPECT_TRUE(std::regex_match(store.keptAside()->filename().string(), asideName))
            << c.name << ": " << *store.keptAside();
        EXPECT_FALSE(store.value("layout")) << c.name;
        // The same entry under its new name, bytes and all.
        auto aside = TempFolder::snapshot(folder.path());
        ASSERT_EQ(aside.size(), original.size()) << c.name;
        EXPECT_EQ(aside.begin()->second, original.begin()->second) << c.name;

        store.set("layout", std::string("grid"));
        EXPECT_FALSE(store.lastWriteFailed()) << c.name;
        EXPECT_EQ(FilePreferences(file).string("layout"), "grid") << c.name;
    }

    // A second bad file within the same second gets a name of its own.
    TempFolder folder;
    const auto file = folder / "preferences.plist";
    TempFolder::writeText(file, "first");
    auto first = FilePreferences(file).keptAside();
    TempFolder::writeText(file, "second");
    auto second = FilePreferences(file).keptAside();
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(TempFolder::readText(*first), "first");
    EXPECT_EQ(TempFolder::readText(*second), "second");
}

TEST(PreferenceStoreTests, FailedWritesKeepTheValueAndTheOldFile) {
    struct Case {
        const char* name;
        std::string fileName;
        std::string oldContent; // written before opening, empty for none
        PreferenceValue value;
    };
    const std::string valid = "<plist><dict><key>layout</key><string>table</string></dict></plist>";
    const Case cases[] = {
        // Tests run as root, so permission bits would not stop a write.
        {"a parent that is a file", "blocker/preferences.plist", "", std::string("grid")},
        {"a file too large to read back", "preferences.plist", valid,
         std::vector<uint8_t>(PropertyList::maxBytes)},
        // Its keep-aside name would be too long: what could not be moved is not replaced.
        {"an unreadable file left in place", std::string(240, 'p'), "garbage", std::string("grid")},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        TempFolder::writeText(folder / "blocker", "a file");
        if (!c.oldContent.empty()) {
            TempFolder::writeText(folder / c.fileName, c.oldContent);
        }
        const auto before = TempFolder::snapshot(folder.path());

        FilePreferences store(folder / c.fileName);
        EXPECT_FALSE(store.keptAside()) << c.name;
        store.set("alerts", c.value);
        EXPECT_TRUE(store.lastWriteFailed()) << c.name;
        EXPECT_EQ(store.value("alerts"), c.value) << c.name;
        EXPECT_EQ(TempFolder::snapshot(folder.path()), before) << c.name;
    }

    // Text the file cannot hold is refused rather than cut short.
    TempFolder folder;
    FilePreferences store(folder / "preferences.plist");
    store.set("layout", std::string("ta\0ble", 6));
    EXPECT_TRUE(store.lastWriteFailed());
    EXPECT_FALSE(store.value("layout"));
    store.set("layout", std::string("table"));
    EXPECT_FALSE(store.lastWriteFailed()) << "one refusal does not stick";
}

} // namespace
} // namespace kestle
