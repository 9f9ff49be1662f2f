#include <filesystem>
#include <functional>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "model/KestleModel.hpp"
#include "services/AppInfo.hpp"
#include "shell/VelmarKestleApp.hpp"
#include "support/PreferenceStore.hpp"
#include "views/terms/KofiImageButton.hpp"
#include "views/terms/TipPromptView.hpp"

using kestle::MemoryPreferences;
using kestle::app::KestleModel;
using kestle::app::KofiImageButton;
using kestle::app::TipPromptView;
using kestle::app::VelmarKestleApp;

namespace {

std::unique_ptr<KestleModel> modelWithTerms(bool accepted) {
    kestle::app::Setup setup;
    setup.termsAccepted = accepted;
    setup.defaults = std::make_shared<MemoryPreferences>();
    return std::make_unique<KestleModel>(std::move(setup));
}

// Answers the panel from inside its modal loop, where a timer set before the quit fires;
// records whether it came at all.
struct Answer {
    bool shown = false;
    void with(VelmarKestleApp& shell, std::function<void(TipPromptView&)> act) {
        shown = false;
        QTimer::singleShot(0, [this, &shell, act] {
            if (shell.tipPrompt() != nullptr && shell.tipPrompt()->isVisible()) {
                shown = true;
                act(*shell.tipPrompt());
            }
        });
    }
};

void press(QWidget& widget, Qt::Key key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &down);
}

TEST(TipPrompt, AsksOnlyOnTheUsersQuitWithTheTermsAcceptedUntilTheTipPageOpensForThisVersion) {
    MemoryPreferences defaults;
    EXPECT_TRUE(TipPromptView::isNeeded(true, true, &defaults, "1.4 (40)")) << "never opened";
    EXPECT_TRUE(TipPromptView::isNeeded(true, true, nullptr, "1.4 (40)")) << "no preferences";
    EXPECT_FALSE(TipPromptView::isNeeded(false, true, &defaults, "1.4 (40)")) << "not the user's";
    EXPECT_FALSE(TipPromptView::isNeeded(true, false, &defaults, "1.4 (40)")) << "terms pending";
    defaults.set("tipPageOpenedVersion", std::string("1.4 (40)"));
    EXPECT_FALSE(TipPromptView::isNeeded(true, true, &defaults, "1.4 (40)")) << "opened for it";
    EXPECT_TRUE(TipPromptView::isNeeded(true, true, &defaults, "1.5 (41)")) << "a new version";
    defaults.set("tipPageOpenedVersion", true);
    EXPECT_TRUE(TipPromptView::isNeeded(true, true, &defaults, "1.4 (40)")) << "not a text";
}

TEST(TipPrompt, ThePanelIsFramelessNarrowAndAnsweredFromTheKeyboard) {
    {
        TipPromptView panel;
        EXPECT_TRUE(panel.windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_EQ(panel.width(), TipPromptView::panelWidth);
        EXPECT_EQ(panel.tipButton()->height(), 44);
        EXPECT_EQ(panel.tipButton()->accessibleName(), "Buy me a coffee: leave a tip on Ko-fi");
        QTimer::singleShot(0, [&] { press(panel, Qt::Key_Return); });
        EXPECT_EQ(panel.exec(), QDialog::Accepted) << "Return is the tip button";
    }
    {
        TipPromptView panel;
        QTimer::singleShot(0, [&] { press(panel, Qt::Key_Escape); });
        EXPECT_EQ(panel.exec(), QDialog::Rejected) << "Escape is Not Now";
    }
    {
        TipPromptView panel;
        QTimer::singleShot(0, [&] { panel.notNowButton()->click(); });
        EXPECT_EQ(panel.exec(), QDialog::Rejected);
    }
    {
        // Return on the focused "Not Now" presses that button, not the tip.
        TipPromptView panel;
        QTimer::singleShot(0, [&] {
            panel.notNowButton()->setFocus();
            press(*panel.notNowButton(), Qt::Key_Return);
        });
        EXPECT_EQ(panel.exec(), QDialog::Rejected);
    }
}

TEST(TipPrompt, QuittingAsksAgainAfterNotNowAndNotAfterTheTipUntilANewVersion) {
    auto model = modelWithTerms(true);
    VelmarKestleApp shell({}, *model, kestle::app::AppLanguage::system);
    Answer answer;

    answer.with(shell, [](TipPromptView& panel) { panel.notNowButton()->click(); });
    shell.quit(true);
    EXPECT_TRUE(answer.shown);
    EXPECT_FALSE(model->defaults()->string("tipPageOpenedVersion").has_value());

    answer.with(shell, [](TipPromptView& panel) { panel.tipButton()->click(); });
    shell.quit(true);
    EXPECT_TRUE(answer.shown) << "Not Now asks again at the next quit";
    EXPECT_EQ(model->defaults()->string("tipPageOpenedVersion"),
              kestle::app::appVersionText().toStdString());
    EXPECT_EQ(shell.tipPrompt(), nullptr);

    answer.with(shell, [](TipPromptView& panel) { panel.reject(); });
    shell.quit(true);
    EXPECT_FALSE(answer.shown) << "this version's tip page was opened";
    QCoreApplication::processEvents();

    model->defaults()->set("tipPageOpenedVersion", std::string("0.9 (1)"));
    answer.with(shell, [](TipPromptView& panel) { panel.reject(); });
    shell.quit(true);
    EXPECT_TRUE(answer.shown) << "an older version's opening does not count";
}

TEST(TipPrompt, NoPanelWhenTheSystemQuitsOrTheSessionEnds) {
    auto model = modelWithTerms(true);
    VelmarKestleApp shell({}, *model, kestle::app::AppLanguage::system);
    Answer answer;
    answer.with(shell, [](TipPromptView& panel) { panel.reject(); });
    shell.quit(false);
    EXPECT_FALSE(answer.shown) << "a signal's quit";
    QCoreApplication::processEvents();

    // A signal while the panel asks takes it away; the user's quit goes on without a tip.
    answer.with(shell, [&shell](TipPromptView&) { shell.quit(false); });
    shell.quit(true);
    EXPECT_TRUE(answer.shown);
    EXPECT_EQ(shell.tipPrompt(), nullptr);
    EXPECT_FALSE(model->defaults()->string("tipPageOpenedVersion").has_value());

    shell.sessionEnding();
    answer.with(shell, [](TipPromptView& panel) { panel.reject(); });
    shell.quit(true);
    EXPECT_FALSE(answer.shown) << "logging out";
    QCoreApplication::processEvents();

    auto pending = modelWithTerms(false);
    VelmarKestleApp before({}, *pending, kestle::app::AppLanguage::system);
    answer.with(before, [](TipPromptView& panel) { panel.reject(); });
    before.quit(true);
    EXPECT_FALSE(answer.shown) << "terms not accepted";
    QCoreApplication::processEvents();
}

// Pictures for a person to look at, in both appearances and both languages.
TEST(TipPrompt, SavesScreenshots) {
    const std::filesystem::path folder = KESTLE_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    for (const char* language : {"en", "it"}) {
        QTranslator italian;
        if (std::string(language) == "it") {
            ASSERT_TRUE(
                italian.load(QStringLiteral("VelmarKestle_it"),
                             QStringLiteral(KESTLE_APP_BUNDLE "/Contents/Resources/translations")));
            QCoreApplication::installTranslator(&italian);
        }
        for (bool dark : {false, true}) {
            TipPromptView panel;
            panel.setPalette(dark ? kestle::test::darkPalette() : kestle::test::lightPalette());
            panel.show();
            kestle::test::spin(std::chrono::milliseconds(30));
            const std::filesystem::path file = folder / (std::string("tip-prompt-") + language +
                                                         (dark ? "-dark.png" : "-light.png"));
            ASSERT_TRUE(panel.grab().save(QString::fromStdString(file.string())));
            EXPECT_GT(std::filesystem::file_size(file), 5'000u) << file;
        }
        QCoreApplication::removeTranslator(&italian);
    }
}

} // namespace
