#include "views/menubar/MenuIcon.hpp"

#include <optional>
#include <string>

#include <QImage>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "helpers/TempFolder.hpp"

using kestle::AppEntry;
using kestle::InstalledApp;
using kestle::Url;
using kestle::app::MenuIcon;
using kestle::test::TempFolder;
using Source = MenuIcon::Source;

namespace {

std::string svg(const char* fill) {
    return std::string(R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10">)") +
           R"(<rect width="10" height="10" fill=")" + fill + R"("/></svg>)";
}

AppEntry installedAt(const std::string& path) {
    AppEntry entry = kestle::test::entryOf(AppEntry::Status::notInstalled);
    entry.installed = InstalledApp{Url::fromPath(path), "1.0", "100"};
    return entry;
}

} // namespace

TEST(MenuIcon, BundleThenLocalCatalogFileNeverARemoteOne) {
    TempFolder temp;
    const auto bundle = temp / "Notes.app";
    TempFolder::writeText(bundle / "Contents/Info.plist",
                          R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)"
                          "<key>CFBundleIconFile</key><string>AppIcon</string></dict></plist>");
    TempFolder::writeText(bundle / "Contents/Resources/AppIcon.svg", svg("#0000ff"));
    TempFolder::writeText(temp / "icon.svg", svg("#ff0000"));
    TempFolder::writeText(temp / "broken.svg", "<svg");
    const Url local = Url::fromPath((temp / "icon.svg").string());
    const AppEntry absent = kestle::test::entryOf(AppEntry::Status::notInstalled);

    struct Case {
        const char* fault;
        AppEntry entry;
        std::optional<Url> catalogIcon;
        Source source;
        QColor colour;
    };
    const Case cases[] = {
        {"the bundle's icon wins over the catalog's", installedAt(bundle.string()), local,
         Source::bundle, QColor(0, 0, 255)},
        {"a bundle that is gone falls back to the catalog file",
         installedAt((temp / "Gone.app").string()), local, Source::catalogFile, QColor(255, 0, 0)},
        {"a local catalog file for an app not installed", absent, local, Source::catalogFile,
         QColor(255, 0, 0)},
        {"a remote catalog icon is not fetched",
         absent,
         Url::parse("https://velmar.example/icon.svg"),
         Source::none,
         {}},
        {"a catalog file that does not decode",
         absent,
         Url::fromPath((temp / "broken.svg").string()),
         Source::none,
         {}},
        {"no icon at all", absent, std::nullopt, Source::none, {}},
    };
    for (const Case& c : cases) {
        const MenuIcon icon(c.entry, c.catalogIcon);
        EXPECT_EQ(icon.source(), c.source) << c.fault;
        if (c.source == Source::none) {
            EXPECT_TRUE(icon.icon().isNull()) << c.fault;
            continue;
        }
        const QImage image = icon.icon().pixmap(MenuIcon::side).toImage();
        EXPECT_EQ(image.size(), QSize(MenuIcon::side, MenuIcon::side)) << c.fault;
        EXPECT_EQ(image.pixelColor(9, 9), c.colour) << c.fault;
    }
}
