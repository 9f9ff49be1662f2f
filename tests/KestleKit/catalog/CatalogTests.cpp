#include "catalog/Catalog.hpp"

#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using kestle::Catalog;
using kestle::CatalogApp;
using kestle::LocalizedText;
using kestle::Url;
using Json = nlohmann::json;

namespace {

Json validApp(const std::string& id) {
    return {{"id", id},
            {"bundleID", "com.velmar." + id},
            {"name", "App " + id},
            {"tagline", {{"en", "Tagline"}, {"it", "Slogan"}}},
            {"description", {{"en", "Longer text"}}},
            {"status", "released"},
            {"site", "https://velmar.example/" + id},
            {"feed", "https://velmar.example/" + id + "/appcast.xml"},
            {"icon", "icons/" + id + ".png"},
            {"minimumSystem", "14.0"}};
}

Catalog decodeApps(const Json& apps) {
    auto catalog = Catalog::fromJSON(Json{{"schema", 1}, {"apps", apps}}.dump());
    EXPECT_TRUE(catalog.has_value());
    return catalog.value_or(Catalog{});
}

TEST(Catalog, DecodesEveryFieldOfAnApp) {
    auto catalog = decodeApps(Json::array({validApp("pixel")}));
    ASSERT_EQ(catalog.apps.size(), 1u);
    const CatalogApp& app = catalog.apps[0];
    EXPECT_EQ(app.id, "pixel");
    EXPECT_EQ(app.bundleID, "com.velmar.pixel");
    EXPECT_EQ(app.name, "App pixel");
    EXPECT_EQ(app.tagline.text("it"), "Slogan");
    EXPECT_EQ(app.summary.text("en"), "Longer text");
    EXPECT_EQ(app.status, CatalogApp::Status::released);
    EXPECT_EQ(app.site->str(), "https://velmar.example/pixel");
    EXPECT_EQ(app.feed->str(), "https://velmar.example/pixel/appcast.xml");
    EXPECT_EQ(app.icon, "icons/pixel.png");
    EXPECT_EQ(app.minimumSystem, "14.0");
    EXPECT_FALSE(app.hidden);
    EXPECT_FALSE(app.manualRemoval);
}

// Each mutation breaks one app; the app must be left out and its neighbours kept.
TEST(Catalog, LeavesOutOnlyTheAppThatDoesNotDecode) {
    struct Case {
        const char* fault;
        std::function<void(Json&)> mutate;
    };
    const Case cases[] = {
        {"missing icon accepted", [](Json& a) { a.erase("icon"); }},
        {"tagline without English accepted",
         [](Json& a) {
             a["tagline"] = {{"it", "Solo"}};
         }},
        {"empty tagline accepted", [](Json& a) { a["tagline"] = Json::object(); }},
        {"non-string text accepted", [](Json& a) { a["tagline"]["it"] = 3; }},
        {"unknown status accepted", [](Json& a) { a["status"] = "beta"; }},
        {"summary key taken for description",
         [](Json& a) {
             a["summary"] = a["description"];
             a.erase("description");
         }},
        {"empty site accepted", [](Json& a) { a["site"] = ""; }},
        {"site with a space accepted", [](Json& a) { a["site"] = "https://velmar.example/a b"; }},
        {"feed of wrong type accepted", [](Json& a) { a["feed"] = 42; }},
        {"hidden as text accepted", [](Json& a) { a["hidden"] = "yes"; }},
        {"null required id accepted", [](Json& a) { a["id"] = nullptr; }},
        {"numeric name accepted", [](Json& a) { a["name"] = 7; }},
        {"number element accepted", [](Json& a) { a = 12; }},
        {"string element accepted", [](Json& a) { a = "app"; }},
    };
    for (const auto& c : cases) {
        Json broken = validApp("second");
        c.mutate(broken);
        auto catalog = decodeApps(Json::array({validApp("first"), broken, validApp("third")}));
        ASSERT_EQ(catalog.apps.size(), 2u) << c.fault;
        EXPECT_EQ(catalog.apps[0].id, "first") << c.fault;
        EXPECT_EQ(catalog.apps[1].id, "third") << c.fault;
    }
}

TEST(Catalog, OptionalMembersTakeTheirDefaults) {
    Json app = validApp("quiet");
    app.erase("site");
    app["feed"] = nullptr;
    app["hidden"] = nullptr;
    app["status"] = "coming";
    app["extra"] = {{"nested", true}};
    auto catalog = decodeApps(Json::array({app}));
    ASSERT_EQ(catalog.apps.size(), 1u);
    EXPECT_FALSE(catalog.apps[0].site.has_value());
    EXPECT_FALSE(catalog.apps[0].feed.has_value());
    EXPECT_FALSE(catalog.apps[0].hidden);
    EXPECT_EQ(catalog.apps[0].status, CatalogApp::Status::coming);

    app["hidden"] = true;
    app["manualRemoval"] = true;
    catalog = decodeApps(Json::array({app}));
    EXPECT_TRUE(catalog.apps[0].hidden);
    EXPECT_TRUE(catalog.apps[0].manualRemoval);
}

TEST(Catalog, MissingEnglishTextIsReportedInsideTheElement) {
    Json app = validApp("x");
    app["tagline"] = {{"it", "Solo italiano"}};
    auto decoded = CatalogApp::decode(app);
    ASSERT_FALSE(decoded.has_value());
    EXPECT_EQ(decoded.error().description, "No English text");
    EXPECT_EQ(decoded.error().codingPath, "tagline");
}

TEST(Catalog, DocumentLevelFaultsFailTheWholeCatalog) {
    EXPECT_TRUE(Catalog::fromJSON(R"({"schema":1,"apps":[]})").has_value());
    const char* broken[] = {
        R"({"schema":1})",
        R"({"apps":[]})",
        R"({"schema":"1","apps":[]})",
        R"({"schema":1.5,"apps":[]})",
        R"({"schema":1,"apps":{}})",
        R"([1,2])",
        R"({"schema":1,"apps":[)",
        "{\"schema\":1,\"apps\":[],\"x\":\"\xff\xfe\"}",
        "",
    };
    for (const char* text : broken) {
        EXPECT_FALSE(Catalog::fromJSON(std::string_view(text)).has_value()) << text;
    }
}

TEST(Catalog, HostileDocumentsFailWithoutCrashing) {
    std::string deep(100000, '[');
    EXPECT_FALSE(Catalog::fromJSON(deep).has_value());
    std::string deepObjects;
    for (int i = 0; i < 50000; ++i) {
        deepObjects += R"({"a":)";
    }
    EXPECT_FALSE(Catalog::fromJSON(deepObjects).has_value());
    EXPECT_FALSE(Catalog::fromJSON(R"({"schema":1e999,"apps":[]})").has_value());
    EXPECT_FALSE(Catalog::fromJSON(R"({"schema":99999999999999999999999,"apps":[]})").has_value());
}

TEST(LocalizedText, FallsBackToEnglishThenEmpty) {
    LocalizedText both({{"en", "Hello"}, {"it", "Ciao"}});
    EXPECT_EQ(both.text("it"), "Ciao");
    EXPECT_EQ(both.text("fr"), "Hello");
    EXPECT_EQ(LocalizedText({{"en", "Hello"}}).text("it"), "Hello");
    EXPECT_EQ(LocalizedText({{"it", "Ciao"}}).text("fr"), "");
    EXPECT_EQ(LocalizedText().text("en"), "");
}

TEST(CatalogApp, ResolvesTheIconAgainstTheCatalogLocation) {
    CatalogApp app;
    auto base = *Url::parse("https://velmar.example/catalog/catalog.json");
    app.icon = "icons/app.png";
    EXPECT_EQ(app.iconURL(base)->str(), "https://velmar.example/catalog/icons/app.png");
    app.icon = "../shared/app.png";
    EXPECT_EQ(app.iconURL(base)->str(), "https://velmar.example/shared/app.png");
    app.icon = "https://cdn.example/app.png";
    EXPECT_EQ(app.iconURL(base)->str(), "https://cdn.example/app.png");
    app.icon = "";
    EXPECT_FALSE(app.iconURL(base).has_value());
    app.icon = "icon with space.png";
    EXPECT_FALSE(app.iconURL(base).has_value());

    auto fileBase = Url::fromPath("/opt/Velmar Kestle/Resources/catalog.json");
    app.icon = "icons/app.png";
    auto icon = app.iconURL(fileBase);
    ASSERT_TRUE(icon.has_value());
    EXPECT_TRUE(icon->isFile());
    EXPECT_EQ(icon->path(), "/opt/Velmar Kestle/Resources/icons/app.png");
}

} // namespace
