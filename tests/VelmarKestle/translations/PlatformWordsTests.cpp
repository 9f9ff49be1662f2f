#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include <QRegularExpression>

#include <gtest/gtest.h>

#include "VelmarKestle/translations/TsFile.hpp"
#include "platform/PlatformWords.hpp"

using kestle::app::PlatformWords;

namespace {

const std::filesystem::path kTranslations = KESTLE_TRANSLATIONS_DIR;

// Every word of the table is shown somewhere, and only through the table: no text of the
// interface names the Mac's parts.
TEST(PlatformWords, EveryLinuxTextIsUsedAndNoInterfaceTextNamesTheMac) {
    const std::filesystem::path sources = kTranslations.parent_path();
    std::string code;
    for (const auto& file : std::filesystem::recursive_directory_iterator(sources)) {
        const std::string extension = file.path().extension().string();
        if ((extension == ".cpp" || extension == ".hpp") &&
            file.path().filename() != "PlatformWords.cpp" &&
            file.path().filename() != "PlatformWords.hpp") {
            std::ifstream in(file.path());
            code += std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    ASSERT_GT(code.size(), 100'000u);
    for (const auto& row : PlatformWords::table()) {
        EXPECT_NE(code.find(std::string("PlatformWord::") + row.name), std::string::npos)
            << row.name << " is never shown";
        EXPECT_EQ(PlatformWords::text(row.word), QString::fromUtf8(row.onLinux));
    }

    static const QRegularExpression mac(
        QStringLiteral("\\bmacOS\\b|\\bMac\\b|Finder|System Settings|Apple silicon"));
    const auto english = kestle::test::readTs(kTranslations / "VelmarKestle_en.ts");
    ASSERT_FALSE(english.empty());
    for (const auto& message : english) {
        EXPECT_FALSE(mac.match(message.source).hasMatch())
            << message.context.toStdString() << ": " << message.source.toStdString();
    }
}

TEST(PlatformWords, EveryLinuxTextHasItsItalian) {
    const auto italian = kestle::test::readTs(kTranslations / "VelmarKestle_it.ts");
    for (const auto& row : PlatformWords::table()) {
        const auto message = std::ranges::find_if(italian, [&](const auto& m) {
            return m.context == QLatin1String(PlatformWords::context) &&
                   m.source == QString::fromUtf8(row.onLinux);
        });
        ASSERT_NE(message, italian.end()) << row.name;
        EXPECT_TRUE(message->finished) << row.name;
        EXPECT_FALSE(message->translation.isEmpty()) << row.name;
    }
}

TEST(PlatformWords, TheProcessorIsNamedAsUsersKnowIt) {
#if defined(__x86_64__)
    EXPECT_EQ(PlatformWords::processor(), "x86-64");
#elif defined(__aarch64__)
    EXPECT_EQ(PlatformWords::processor(), "ARM64");
#endif
    EXPECT_EQ(
        PlatformWords::text(kestle::app::PlatformWord::installsFor).arg(PlatformWords::processor()),
        "Installs for Linux · " + PlatformWords::processor());
}

} // namespace
