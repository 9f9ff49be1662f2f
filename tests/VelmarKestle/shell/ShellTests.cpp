#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QToolButton>
#include <QUndoStack>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "VelmarKestle/views/ViewTestModel.hpp"
#include "helpers/TempFolder.hpp"
#include "model/KestleModel.hpp"
#include "services/AppFlags.hpp"
#include "shell/AppDelegate.hpp"
#include "shell/KestleCommands.hpp"
#include "shell/VelmarKestleApp.hpp"
#include "views/settings/SettingsView.hpp"
#include "views/terms/TermsView.hpp"
#include "views/window/MainWindow.hpp"

using kestle::app::AppDelegate;
using kestle::app::AppFlags;
using kestle::app::KestleCommands;
using kestle::app::KestleModel;
using kestle::app::ListLayout;
using kestle::app::VelmarKestleApp;
using kestle::test::runUntil;
using kestle::test::TempFolder;
using kestle::test::ViewTestModel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// The helper starts the bundle's program only once the old process has ended.
TEST(AppDelegate, TheRelaunchHelperWaitsForTheOldProcessThenStartsTheBundle) {
    TempFolder temp;
    const fs::path bundle = temp / "My Apps/VelmarKestle.app";
    const fs::path marker = temp / "started";
    TempFolder::writeText(bundle / "Contents/MacOS/VelmarKestle",
                          "#!/bin/sh\necho \"$0\" > '" + marker.string() + "'\n");
    fs::permissions(bundle / "Contents/MacOS/VelmarKestle", fs::perms::owner_all);
    QProcess old;
    old.start("/bin/sleep", {"30"});
    ASSERT_TRUE(old.waitForStarted());

    QProcess helper;
    helper.start("/bin/sh", AppDelegate::relaunchArguments(QString::fromStdString(bundle.string()),
                                                           old.processId()));
    ASSERT_TRUE(helper.waitForStarted());
    kestle::test::spin(600ms);
    EXPECT_FALSE(fs::exists(marker)) << "started while the old process ran";
    old.kill();
    ASSERT_TRUE(old.waitForFinished(3000));
    ASSERT_TRUE(helper.waitForFinished(10000));
    std::ifstream started(marker);
    std::string program;
    std::getline(started, program);
    EXPECT_EQ(program, (bundle / "Contents/MacOS/VelmarKestle").string());
}

QAction* findIn(QMenuBar& bar, const QString& text) {
    for (QAction* menu : bar.actions()) {
        for (QAction* item : menu->menu()->actions()) {
            if (item->text() == text) {
                return item;
            }
        }
    }
    return nullptr;
}

// Every item with its shortcut; the enabled rules follow the model and the queue.
TEST(KestleCommands, MenusCarryTheirShortcutsAndFollowTheModel) {
    ViewTestModel fixture;
    KestleModel& model = *fixture.model;
    QUndoStack undo;
    QMenuBar bar;
    int quits = 0;
    KestleCommands::Actions actions;
    actions.quit = [&] { ++quits; };
    KestleCommands commands(model, nullptr, undo.createUndoAction(&bar), actions);
    commands.install(bar);

    QStringList menus;
    for (QAction* menu : bar.actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus, (QStringList{"VelmarKestle", "&File", "&Edit", "&View", "&Help"}));
    const struct {
        const char* title;
        QKeySequence shortcut;
    } items[] = {
        {"About VelmarKestle", {}},
        {"Buy Me a Coffee", {}},
        {"Quit VelmarKestle", QKeySequence("Ctrl+Q")},
        {"Check for Updates", QKeySequence("Ctrl+R")},
        {"Update All", QKeySequence("Shift+Ctrl+U")},
        {"Search", QKeySequence("Ctrl+F")},
        {"Grid", QKeySequence("Ctrl+1")},
        {"Table", QKeySequence("Ctrl+2")},
        {"All", {}},
        {"Installed", {}},
        {"Updates", {}},
        {"Not Installed", {}},
        {"VelmarKestle Help", QKeySequence("F1")},
        {"Report a Problem…", {}},
        {"Privacy", {}},
        {"Terms of Use", {}},
    };
    for (const auto& item : items) {
        QAction* action = findIn(bar, item.title);
        ASSERT_NE(action, nullptr) << item.title;
        EXPECT_EQ(action->shortcut(), item.shortcut) << item.title;
    }
    EXPECT_EQ(findIn(bar, "Check for VelmarKestle Updates…"), nullptr)
        << "no self update configured";
    ASSERT_NE(commands.action("Undo"), nullptr);

    findIn(bar, "Quit VelmarKestle")->trigger();
    EXPECT_EQ(quits, 1);

    QAction* updateAll = findIn(bar, "Update All");
    EXPECT_TRUE(updateAll->isEnabled());
    model.queue().update(fixture.entry("notes"));
    EXPECT_FALSE(updateAll->isEnabled()) << "an update runs";
    fixture.script->end(kestle::UpdateOutcome::updated());

    QAction* check = findIn(bar, "Check for Updates");
    EXPECT_TRUE(check->isEnabled());
    check->trigger();
    EXPECT_TRUE(model.isChecking());
    EXPECT_FALSE(check->isEnabled()) << "a check runs";
    ASSERT_TRUE(runUntil([&] { return check->isEnabled(); }));

    findIn(bar, "Table")->trigger();
    EXPECT_EQ(model.layout(), ListLayout::table);
    EXPECT_TRUE(findIn(bar, "Table")->isChecked());
    EXPECT_FALSE(findIn(bar, "Grid")->isChecked());
    model.setFilter(kestle::AppFilter::updates);
    EXPECT_TRUE(findIn(bar, "Updates")->isChecked());
    findIn(bar, "All")->trigger();
    EXPECT_EQ(model.filter(), kestle::AppFilter::all);

    model.setDetail("notes");
    const int searches = model.searchRequest();
    findIn(bar, "Search")->trigger();
    EXPECT_FALSE(model.detail().has_value()) << "the detail closes";
    EXPECT_EQ(model.searchRequest(), searches + 1);
}

// A model whose terms are not accepted yet.
std::unique_ptr<KestleModel> modelBeforeTerms() {
    kestle::app::Setup setup;
    setup.termsAccepted = false;
    setup.defaults = std::make_shared<kestle::MemoryPreferences>();
    return std::make_unique<KestleModel>(std::move(setup));
}

// Whatever asks for the main window before the terms are accepted gets the terms; a login
// launch swallows the first main window and only that one.
TEST(VelmarKestleApp, TheMainWindowWaitsForTheTermsAndALoginLaunchStaysQuiet) {
    auto model = modelBeforeTerms();
    {
        VelmarKestleApp shell({}, *model, kestle::app::AppLanguage::system);
        shell.openWindow("main", true);
        EXPECT_EQ(shell.mainWindow(), nullptr);
        ASSERT_NE(shell.termsWindow(), nullptr);
        EXPECT_TRUE(shell.termsWindow()->isVisible());
        shell.secondLaunch({{}, "token-7"});
        EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), "token-7");
        EXPECT_EQ(shell.mainWindow(), nullptr);
        qunsetenv("XDG_ACTIVATION_TOKEN");
        shell.termsWindow()->hide();
    }

    ViewTestModel fixture;
    VelmarKestleApp shell({}, *fixture.model, kestle::app::AppLanguage::system);
    AppFlags::closesWindowAtLogin = true;
    shell.openWindow("main", false);
    EXPECT_TRUE(shell.mainWindow() == nullptr || !shell.mainWindow()->isVisible());
    EXPECT_FALSE(AppFlags::closesWindowAtLogin);
    shell.openWindow("main", false);
    ASSERT_NE(shell.mainWindow(), nullptr);
    EXPECT_TRUE(shell.mainWindow()->isVisible());
    EXPECT_EQ(shell.mainWindow()->size(), QSize(1130, 820));
    EXPECT_EQ(shell.mainWindow()->windowTitle(), "VelmarKestle");
    EXPECT_FALSE(shell.mainWindow()->menuBar()->actions().isEmpty());
    shell.mainWindow()->hide();
}

// The settings come from the application menu (Ctrl+,) and the toolbar as one window,
// which is made anew after it was closed.
TEST(VelmarKestleApp, SettingsOpenAsOneWindowFromTheMenuAndTheToolbar) {
    ViewTestModel fixture;
    VelmarKestleApp shell({}, *fixture.model, kestle::app::AppLanguage::system);
    shell.openWindow("main", false);
    ASSERT_NE(shell.mainWindow(), nullptr);
    QAction* settings = findIn(*shell.mainWindow()->menuBar(), "Settings…");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(shell.settingsWindow(), nullptr) << "made only when asked for";

    settings->trigger();
    QPointer<kestle::app::SettingsView> first = shell.settingsWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->objectName(), "settings");
    QToolButton* button = nullptr;
    for (QToolButton* tool : shell.mainWindow()->findChildren<QToolButton*>()) {
        if (tool->text() == "Settings") {
            button = tool;
        }
    }
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(shell.settingsWindow(), first) << "one instance";

    first->close();
    ASSERT_TRUE(runUntil([&] { return first.isNull(); }));
    settings->trigger();
    ASSERT_NE(shell.settingsWindow(), nullptr);
    EXPECT_TRUE(shell.settingsWindow()->isVisible());
    shell.settingsWindow()->close();
    shell.mainWindow()->hide();
}

} // namespace
