#include <filesystem>
#include <set>
#include <string>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTranslator>

#include <gtest/gtest.h>

#include "VelmarKestle/translations/TsFile.hpp"
#include "VelmarKestle/views/ViewTestModel.hpp"
#include "views/list/EmptyList.hpp"
#include "views/window/StatusFooter.hpp"

using kestle::app::Clock;
using kestle::app::StatusFooter;

namespace {

const std::filesystem::path kSources = KESTLE_TRANSLATIONS_DIR;

// The placeholders of a text: %1, %2, %n, %L1 …
std::set<QString> placeholders(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("%L?(\\d+|n)"));
    std::set<QString> found;
    for (auto match = pattern.globalMatch(text); match.hasNext();) {
        found.insert(match.next().captured(0).remove(u'L'));
    }
    return found;
}

// A translation that drops or adds a placeholder shows the wrong value, or none.
TEST(Translations, EveryItalianTextKeepsItsPlaceholders) {
    bool wellFormed = false;
    int checked = 0;
    for (const auto& message : kestle::test::readTs(kSources / "VelmarKestle_it.ts", &wellFormed)) {
        EXPECT_TRUE(message.finished) << "untranslated: " << message.source.toStdString();
        EXPECT_EQ(placeholders(message.translation), placeholders(message.source))
            << message.source.toStdString() << " → " << message.translation.toStdString();
        ++checked;
    }
    EXPECT_TRUE(wellFormed);
    EXPECT_GT(checked, 200);
}

// The build's compiled Italian reaches the views' texts.
TEST(Translations, TheBundleCarriesTheItalianInterface) {
    QTranslator italian;
    ASSERT_TRUE(italian.load(QStringLiteral("VelmarKestle_it"),
                             QStringLiteral(KESTLE_APP_BUNDLE "/Contents/Resources/translations")));
    QCoreApplication::installTranslator(&italian);
    const Clock::time_point now = Clock::now();
    const QString justNow = StatusFooter::checkTimeText(now, now);
    kestle::test::ViewTestModel fixture;
    fixture.model->setFilter(kestle::AppFilter::installed);
    fixture.model->setQuery(QString());
    const QString title = kestle::app::EmptyList::texts(*fixture.model).title;
    QCoreApplication::removeTranslator(&italian);
    EXPECT_NE(justNow, "Checked just now");
    EXPECT_FALSE(justNow.isEmpty());
    EXPECT_NE(title, "No Apps Installed");
    EXPECT_EQ(StatusFooter::checkTimeText(now, now), "Checked just now") << "removed again";
}

// English is where counted texts find their singular: without it "1 versions newer".
TEST(Translations, TheBundlesEnglishCountsOneAsOne) {
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral("VelmarKestle_en"),
                             QStringLiteral(KESTLE_APP_BUNDLE "/Contents/Resources/translations")));
    QCoreApplication::installTranslator(&english);
    const QString one =
        QCoreApplication::translate("kestle::app::EntryText", "%n versions newer", nullptr, 1);
    const QString three =
        QCoreApplication::translate("kestle::app::EntryText", "%n versions newer", nullptr, 3);
    QCoreApplication::removeTranslator(&english);
    EXPECT_EQ(one, "1 version newer");
    EXPECT_EQ(three, "3 versions newer");
}

} // namespace
