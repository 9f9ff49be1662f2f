#include "services/LauncherItem.hpp"

#include <cstdlib>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"
#include "model/Configuration.hpp"

using kestle::app::Configuration;
using kestle::app::LauncherEntry;
using kestle::app::LauncherItem;
using kestle::test::TempFolder;

namespace {

#ifdef KESTLE_APP_BUNDLE
// The running program's entry from the built bundle: its languages, this executable,
// and the glyph in its light colours even while the desktop is dark.
TEST(LauncherItem, TheEntrySpeaksTheBundlesLanguagesAndItsIconKeepsTheLightGlyph) {
    TempFolder temp;
    ::setenv("XDG_DATA_HOME", temp.path().c_str(), 1);
    // No cache tools: they would write into the folder as it is removed.
    const QByteArray path = qgetenv("PATH");
    ::setenv("PATH", (temp / "no-tools").c_str(), 1);
    const QPalette palette = QGuiApplication::palette();
    QPalette dark = palette;
    dark.setColor(QPalette::Window, QColor(0x19212B));
    QGuiApplication::setPalette(dark);
    const QString desktopFileName = QGuiApplication::desktopFileName();
    QGuiApplication::setDesktopFileName(QStringLiteral("com.velmar.Launcher"));

    Configuration config;
    config.bundle = KESTLE_APP_BUNDLE;
    config.shortVersion = "2.1";
    config.build = "45";
    const LauncherEntry entry = LauncherItem::entry(config);
    const auto outcome = entry.ensureInstalled();

    QGuiApplication::setDesktopFileName(desktopFileName);
    QGuiApplication::setPalette(palette);
    ::setenv("PATH", path.constData(), 1);
    ::unsetenv("XDG_DATA_HOME");

    ASSERT_EQ(outcome, LauncherEntry::Outcome::written)
        << (outcome ? "" : outcome.error().toStdString());
    // The name the windows carry, so the desktop matches them with the entry.
    EXPECT_EQ(entry.file().toStdString(),
              (temp / "applications/com.velmar.Launcher.desktop").string());
    const std::string text = TempFolder::readText(entry.file().toStdString());
    const std::vector<std::string> lines = {
        "\nComment=Install and update the Velmar apps\n",
        "\nComment[it]=Installa e aggiorna le app di Velmar\n",
        "\nTryExec=" + QCoreApplication::applicationFilePath().toStdString() + "\n",
        "\nIcon=com.velmar.Launcher\n", "\nX-VelmarKestle-Version=2.1 (45)\n"};
    for (const std::string& line : lines) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
    const QImage icon(entry.iconFile(48));
    ASSERT_EQ(icon.size(), QSize(48, 48));
    EXPECT_EQ(icon.pixelColor(11, 39), QColor(0x1B3149)) << "the tent in its light colour";
    EXPECT_EQ(icon.pixelColor(24, 8), QColor(0xC8873A)) << "the arrow in its light colour";
    EXPECT_EQ(icon.pixelColor(2, 2).alpha(), 0) << "a clear background";
}
#endif

} // namespace
