#include "views/components/AppIconView.hpp"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"
#include "views/style/VelmarTheme.hpp"

using kestle::AppEntry;
using kestle::InstalledApp;
using kestle::Url;
using kestle::app::AppIconView;
using kestle::app::VelmarTheme;
using kestle::test::LoopbackServer;
using kestle::test::near;
using kestle::test::TempFolder;
using Source = AppIconView::Source;

namespace {

constexpr int kSize = 64;

std::string svg(const char* fill) {
    return std::string(R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10">)") +
           R"(<rect width="10" height="10" fill=")" + fill + R"("/></svg>)";
}

// A bundle whose Info.plist names its icon without an extension, as bundles do.
std::string makeBundle(const TempFolder& temp, const char* fill) {
    auto bundle = temp / "Notes.app";
    TempFolder::writeText(bundle / "Contents/Info.plist",
                          R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)"
                          "<key>CFBundleIconFile</key><string>AppIcon</string></dict></plist>");
    TempFolder::writeText(bundle / "Contents/Resources/AppIcon.svg", svg(fill));
    return bundle.string();
}

AppEntry installedAt(const std::string& path) {
    AppEntry entry = kestle::test::entryOf(AppEntry::Status::notInstalled);
    entry.installed = InstalledApp{Url::fromPath(path), "1.0", "100"};
    return entry;
}

// The colours at the frame's corner, halfway down just inside the insets, and at the centre.
struct Probe {
    QColor corner;
    QColor inset;
    QColor centre;
};

Probe probe(AppIconView& view) {
    view.setPalette(kestle::test::lightPalette());
    QImage image = kestle::test::pixels(view);
    return {image.pixelColor(1, 1), image.pixelColor(8, 32), image.pixelColor(32, 32)};
}

TEST(AppIconView, PicksTheBundleThenTheCatalogFileThenThePlaceholder) {
    TempFolder temp;
    std::string bundle = makeBundle(temp, "#0000ff");
    TempFolder::writeText(temp / "icon.svg", svg("#ff0000"));
    TempFolder::writeText(temp / "broken.svg", "<svg");
    Url catalogIcon = Url::fromPath((temp / "icon.svg").string());
    const QColor window = kestle::test::lightPalette().color(QPalette::Window);
    const QColor placeholder =
        kestle::test::over(VelmarTheme::light(VelmarTheme::Color::controlFill), window);

    struct Case {
        const char* fault;
        AppEntry entry;
        std::optional<Url> icon;
        Source source;
        QColor corner, inset, centre;
    };
    const AppEntry absent = kestle::test::entryOf(AppEntry::Status::notInstalled);
    const std::vector<Case> cases = {
        {"the installed bundle's icon fills the frame", installedAt(bundle), catalogIcon,
         Source::bundle, Qt::blue, Qt::blue, Qt::blue},
        {"a bundle deleted since the scan falls back to the catalog",
         installedAt((temp / "Gone.app").string()), catalogIcon, Source::catalogFile, window,
         Qt::red, Qt::red},
        {"a local catalog icon is inset by 25/256", absent, catalogIcon, Source::catalogFile,
         window, Qt::red, Qt::red},
        {"no icon at all", absent, std::nullopt, Source::placeholder, window, placeholder,
         placeholder},
        {"an unreadable local icon", absent, Url::fromPath((temp / "broken.svg").string()),
         Source::placeholder, window, placeholder, placeholder},
        {"a missing local icon", absent, Url::fromPath((temp / "none.png").string()),
         Source::placeholder, window, placeholder, placeholder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        AppIconView view(c.entry, c.icon, kSize);
        EXPECT_EQ(view.size(), QSize(kSize, kSize));
        EXPECT_EQ(view.source(), c.source);
        Probe seen = probe(view);
        EXPECT_TRUE(near(seen.corner, c.corner)) << seen.corner.name().toStdString();
        EXPECT_TRUE(near(seen.inset, c.inset)) << seen.inset.name().toStdString();
        EXPECT_TRUE(near(seen.centre, c.centre)) << seen.centre.name().toStdString();
    }
}

TEST(AppIconView, LoadsARemoteIconOnceForAllViewsAndKeepsIt) {
    LoopbackServer server;
    server.serve("/icons/notes.svg", svg("#00ff00"), "image/svg+xml");
    auto url = Url::parse(server.url("/icons/notes.svg"));
    const AppEntry absent = kestle::test::entryOf(AppEntry::Status::notInstalled);

    auto first = std::make_unique<AppIconView>(absent, url, kSize);
    AppIconView second(absent, url, kSize);
    EXPECT_EQ(first->source(), Source::remotePlaceholder) << "the placeholder while loading";
    first.reset(); // a view gone before the answer is simply not told
    ASSERT_TRUE(kestle::test::runUntil([&] { return second.source() == Source::remote; }));
    EXPECT_TRUE(near(probe(second).centre, Qt::green));
    EXPECT_TRUE(near(probe(second).inset, Qt::green)) << "inset by 25/256, like a local icon";

    AppIconView later(absent, url, kSize);
    EXPECT_EQ(later.source(), Source::remote) << "from memory";
    EXPECT_EQ(server.requestCount("/icons/notes.svg"), 1u);
}

TEST(AppIconView, AFailedRemoteLoadKeepsThePlaceholderInsideTheInset) {
    LoopbackServer server;
    server.respond("/icons/missing.png", 404);
    const AppEntry absent = kestle::test::entryOf(AppEntry::Status::notInstalled);
    AppIconView view(absent, Url::parse(server.url("/icons/missing.png")), kSize);
    ASSERT_TRUE(
        kestle::test::runUntil([&] { return server.requestCount("/icons/missing.png") == 1; }));
    kestle::test::spin(std::chrono::milliseconds(200));
    EXPECT_EQ(view.source(), Source::remotePlaceholder);

    view.setPalette(kestle::test::lightPalette());
    const QColor window = kestle::test::lightPalette().color(QPalette::Window);
    // Both insets: 6.25 for the catalog frame and 6.4 for the placeholder.
    QImage image = kestle::test::pixels(view);
    EXPECT_TRUE(near(image.pixelColor(11, 32), window));
    EXPECT_FALSE(near(image.pixelColor(14, 32), window));
}

} // namespace
