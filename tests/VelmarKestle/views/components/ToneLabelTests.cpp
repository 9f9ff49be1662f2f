#include <QApplication>
#include <QFontMetricsF>
#include <QWidget>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

using kestle::app::KestleStyle;
using kestle::app::ToneLabel;
using kestle::app::VelmarTheme;
using kestle::test::darkPalette;
using kestle::test::lightPalette;

namespace {

const QString kText = QStringLiteral("Downloading Lumen 2.4: 12.3 MB of 48 MB · 25%");

int textWidth(const ToneLabel& label) {
    return qCeil(QFontMetricsF(label.font()).horizontalAdvance(label.text()));
}

TEST(ToneLabel, AnElidingLabelGivesUpTheChosenPartOnlyWhenItDoesNotFit) {
    QWidget parent;
    auto* label = new ToneLabel(ToneLabel::Tone::secondary, &parent);
    label->setText(kText);
    label->resize(textWidth(*label), 20);
    EXPECT_EQ(label->shownText(), kText) << "not eliding unless asked";

    label->setElideMode(Qt::ElideMiddle);
    EXPECT_EQ(label->shownText(), kText) << "a text given its own width is whole";
    EXPECT_EQ(label->minimumSizeHint().width(), 0) << "an eliding label can shrink to nothing";

    label->resize(textWidth(*label) / 2, 20);
    QString middle = label->shownText();
    EXPECT_TRUE(middle.contains(QChar(0x2026))) << middle.toStdString();
    EXPECT_TRUE(middle.startsWith(QStringLiteral("Down"))) << "the start stays";
    EXPECT_TRUE(middle.endsWith(QStringLiteral("25%"))) << "the figures at the end stay";

    label->setElideMode(Qt::ElideRight);
    QString end = label->shownText();
    EXPECT_TRUE(end.endsWith(QChar(0x2026))) << end.toStdString();
    EXPECT_TRUE(end.startsWith(QStringLiteral("Down")));

    label->setWordWrap(true);
    EXPECT_EQ(label->shownText(), kText) << "a wrapping label never elides";
}

TEST(ToneLabel, ColourFollowsTheToneAndTheParentsAppearance) {
    QWidget parent;
    parent.setPalette(lightPalette());
    auto* label = new ToneLabel(ToneLabel::Tone::secondary, &parent);
    EXPECT_EQ(label->palette().color(QPalette::WindowText),
              KestleStyle::secondaryText(parent.palette()));

    label->setTone(ToneLabel::Tone::update);
    EXPECT_EQ(label->palette().color(QPalette::WindowText),
              VelmarTheme::color(VelmarTheme::Color::update, parent.palette()));

    parent.setPalette(darkPalette());
    EXPECT_EQ(label->palette().color(QPalette::WindowText),
              VelmarTheme::color(VelmarTheme::Color::update, darkPalette()))
        << "a change of appearance reaches the label";

    label->setBold(true);
    EXPECT_TRUE(label->isBold());
    label->setBold(false);
    EXPECT_FALSE(label->isBold());
}

} // namespace
