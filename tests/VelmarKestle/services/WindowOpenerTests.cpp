#include "services/WindowOpener.hpp"

#include <utility>
#include <vector>

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

using kestle::app::WindowOpener;

namespace {

using Opened = std::vector<std::pair<QString, bool>>;

TEST(WindowOpener, WindowsAskedForEarlyWaitAndOpenActivatedOnceTheShellIsReady) {
    WindowOpener opener;
    opener.open(QStringLiteral("terms"), false);
    opener.open(QStringLiteral("main"), false); // no Window menu yet
    EXPECT_EQ(opener.pending(), (QStringList{"terms", "main"}));

    Opened opened;
    opener.setOpenWindow(
        [&](const QString& id, bool activate) { opened.emplace_back(id, activate); });
    EXPECT_EQ(opened, (Opened{{"terms", true}, {"main", true}}));
    EXPECT_TRUE(opener.pending().isEmpty());

    opener.open(QStringLiteral("main"), false);
    EXPECT_EQ(opened.back(), (std::pair<QString, bool>{"main", false}));
}

TEST(WindowOpener, TheWindowMenusItemOpensTheMainWindowAtOnce) {
    WindowOpener opener;
    QMenu menu;
    menu.addAction(QStringLiteral("Minimize"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+M")));
    QAction* disabled = menu.addAction(QStringLiteral("VelmarKestle"));
    disabled->setEnabled(false);
    int triggered = 0;
    QAction* item = menu.addAction(QStringLiteral("VelmarKestle"));
    QObject::connect(item, &QAction::triggered, [&] { ++triggered; });
    opener.setWindowMenu(&menu);

    opener.open(QStringLiteral("main"), true);
    EXPECT_EQ(triggered, 1);
    EXPECT_TRUE(opener.pending().isEmpty());
    // Only the main window is in that menu.
    opener.open(QStringLiteral("terms"), true);
    EXPECT_EQ(triggered, 1);
    EXPECT_EQ(opener.pending(), QStringList{"terms"});

    QMenu empty;
    opener.setWindowMenu(&empty);
    EXPECT_FALSE(opener.openFromWindowMenu());
}

} // namespace
