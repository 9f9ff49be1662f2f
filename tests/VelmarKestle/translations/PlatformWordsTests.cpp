#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "platform/PlatformWords.hpp"

using kestle::app::PlatformWords;

namespace {

const std::filesystem::path kTranslations = KESTLE_TRANSLATIONS_DIR;

struct Message {
    QString translation;
    bool finished = false;
};

// context → source → its translation, from a .ts file.
std::map<QString, std::map<QString, Message>> readTs(const std::filesystem::path& file) {
    std::map<QString, std::map<QString, Message>> messages;
    QFile input(QString::fromStdString(file.string()));
    if (!input.open(QIODevice::ReadOnly)) {
        return messages;
    }
    QXmlStreamReader xml(&input);
    QString context;
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            const bool finished = xml.attributes().value(QStringLiteral("type")).isEmpty();
            messages[context][source] = {
                xml.readElementText(QXmlStreamReader::IncludeChildElements), finished};
        }
    }
    return messages;
}

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
    const auto english = readTs(kTranslations / "VelmarKestle_en.ts");
    ASSERT_FALSE(english.empty());
    for (const auto& [context, messages] : english) {
        for (const auto& [source, message] : messages) {
            EXPECT_FALSE(mac.match(source).hasMatch())
                << context.toStdString() << ": " << source.toStdString();
        }
    }
}

TEST(PlatformWords, EveryLinuxTextHasItsItalian) {
    const auto italian = readTs(kTranslations / "VelmarKestle_it.ts");
    const auto found = italian.find(QString::fromLatin1(PlatformWords::context));
    ASSERT_NE(found, italian.end());
    for (const auto& row : PlatformWords::table()) {
        const auto message = found->second.find(QString::fromUtf8(row.onLinux));
        ASSERT_NE(message, found->second.end()) << row.name;
        EXPECT_TRUE(message->second.finished) << row.name;
        EXPECT_FALSE(message->second.translation.isEmpty()) << row.name;
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
