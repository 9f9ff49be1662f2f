#include <filesystem>
#include <set>
#include <string>

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

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
    QFile file(QString::fromStdString((kSources / "VelmarKestle_it.ts").string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString source;
    int checked = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            // Plural forms come as children, read here as one text.
            const bool unfinished =
                xml.attributes().value(QStringLiteral("type")) == QStringLiteral("unfinished");
            const QString translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            EXPECT_FALSE(unfinished) << "untranslated: " << source.toStdString();
            EXPECT_EQ(placeholders(translation), placeholders(source))
                << source.toStdString() << " → " << translation.toStdString();
            ++checked;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
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

} // namespace
