#pragma once

#include <array>
#include <expected>
#include <functional>

#include <QImage>
#include <QString>

namespace kestle::app {

// The application in the desktop's launcher: <data home>/applications/<bundle id>.desktop
// and its icons in the user's hicolor theme, all named after the bundle id. The entry
// keeps the version it was written for, so a start of the same version from the same
// place leaves everything as it is, and one after an update or a move rewrites it.
class LauncherEntry {
public:
    // The glyph as a square image of the given side.
    using IconRenderer = std::function<QImage(int side)>;

    struct Details {
        QString bundle;      // the application's .app folder
        QString executable;  // the absolute path of the program the entry starts
        QString bundleID;    // the entry's and the icon's name, and the desktop file name
        QString version;     // what a later start compares with
        QString dataHome;    // $XDG_DATA_HOME, else ~/.local/share
        QString windowClass; // the class of the program's X11 windows (WM_CLASS)
    };

    enum class Outcome { written, unchanged };

    // The sizes of the PNG icons, the hicolor theme's folders from 16 to 512.
    static constexpr std::array<int, 9> iconSides = {16, 22, 24, 32, 48, 64, 128, 256, 512};
    // The version marker kept in the entry.
    static constexpr const char* versionKey = "X-VelmarKestle-Version";

    LauncherEntry(Details details, IconRenderer renderIcon);

    // The running program inside bundle: its executable, the class Qt gives its X11
    // windows and the user's data home.
    static Details forRunningApp(const QString& bundle, const QString& bundleID,
                                 const QString& version);

    // The entry's file.
    QString file() const;
    // The file of the PNG icon of a side, or of the scalable one for 0.
    QString iconFile(int side) const;
    QString symbolicIconFile() const;

    // Writes the icons and then the entry, each file in one step, unless the entry is
    // already that of this version and executable; an error text when one could not be
    // written. Afterwards asks the desktop's cache tools, where installed, to refresh,
    // without waiting for them.
    std::expected<Outcome, QString> ensureInstalled() const;

    // "written", "unchanged".
    static const char* outcomeName(Outcome outcome);
    // The entry's text.
    QString entryText() const;

private:
    bool isCurrent() const;
    std::expected<void, QString> writeIcons() const;
    void refreshCaches() const;
    QString bundleIcons() const;

    Details details_;
    IconRenderer renderIcon_;
};

} // namespace kestle::app
