#include "services/AppInfo.hpp"

#include <string>
#include <vector>

#include <QRegularExpression>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"
#include "model/Configuration.hpp"

using kestle::app::aboutCredits;
using kestle::app::appDisplayName;
using kestle::app::appVersionText;
using kestle::app::Configuration;
using kestle::test::TempFolder;

namespace {

TEST(AppInfo, NameAndVersionFromTheBundleWithTheirFallbacks) {
    struct Case {
        const char* fault;
        const char* entries; // inside the Info.plist's dictionary; null: no Info.plist
        const char* name;
        const char* version;
    };
    const std::vector<Case> cases = {
        {"all present",
         "<key>CFBundleDisplayName</key><string>Kestle Beta</string>"
         "<key>CFBundleShortVersionString</key><string>2.1</string>"
         "<key>CFBundleVersion</key><string>45</string>",
         "Kestle Beta", "2.1 (45)"},
        {"keys absent", "", "VelmarKestle", "0.0.0 (0)"},
        {"keys of another type",
         "<key>CFBundleDisplayName</key><integer>7</integer>"
         "<key>CFBundleShortVersionString</key><real>2.1</real>"
         "<key>CFBundleVersion</key><integer>45</integer>",
         "VelmarKestle", "0.0.0 (0)"},
        {"only the build", "<key>CFBundleVersion</key><string>45</string>", "VelmarKestle",
         "0.0.0 (45)"},
        {"no Info.plist", nullptr, "VelmarKestle", "0.0.0 (0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        TempFolder temp;
        auto bundle = temp / "VelmarKestle.app";
        if (c.entries) {
            TempFolder::writeText(
                bundle / "Contents/Info.plist",
                std::string(
                    R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)") +
                    c.entries + "</dict></plist>");
        }
        EXPECT_EQ(appDisplayName(bundle).toStdString(), c.name);
        EXPECT_EQ(appVersionText(Configuration::read(bundle)).toStdString(), c.version);
    }
}

TEST(AppInfo, TheRunningApplicationsVersionReadsAsVersionAndBuild) {
    QRegularExpression format(QStringLiteral(R"(^\d+(\.\d+)* \(\d+\)$)"));
    EXPECT_TRUE(format.match(appVersionText()).hasMatch()) << appVersionText().toStdString();
    EXPECT_FALSE(appDisplayName().isEmpty());
}

// The bundle built here carries the notices of every library it links.
TEST(AppInfo, TheCreditsCarryTheLicencesOfTheLinkedLibrariesWhenTheyAreText) {
#ifdef KESTLE_APP_BUNDLE
    const QString built = aboutCredits(KESTLE_APP_BUNDLE);
    EXPECT_TRUE(built.startsWith(
        QStringLiteral("\n\nVelmarKestle includes the following open source software.\n\n")));
    for (const char* library : {"Qt", "libcurl", "libsodium", "nlohmann-json", "expat", "libplist",
                                "ICU", "libarchive"}) {
        EXPECT_TRUE(built.contains(QStringLiteral("\n%1\n---").arg(QLatin1String(library))))
            << library;
    }
#endif
    TempFolder temp;
    const auto notices = temp / "App.app/Contents/Resources/ThirdPartyNotices.txt";
    EXPECT_EQ(aboutCredits(temp / "App.app"), QString());
    TempFolder::writeText(notices, "caf\xc3\xa9 licence");
    EXPECT_TRUE(aboutCredits(temp / "App.app").endsWith(QStringLiteral("\n\ncaf\u00e9 licence")));
    TempFolder::writeText(notices, "caf\xe9 licence");
    EXPECT_EQ(aboutCredits(temp / "App.app"), QString());
}

} // namespace
