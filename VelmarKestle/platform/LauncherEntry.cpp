#include "platform/LauncherEntry.hpp"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTranslator>

#include "platform/DesktopEntryFormat.hpp"

namespace kestle::app {

namespace {

//: The launcher's one-line description of the application.
const char* const comment =
    QT_TRANSLATE_NOOP("kestle::app::LauncherEntry", "Install and update the Velmar apps");

// Writes the whole file or leaves what was there.
std::expected<void, QString> writeFile(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return std::unexpected(QStringLiteral("cannot make the folder of ") + path);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return std::unexpected(path + QStringLiteral(": ") + file.errorString());
    }
    return {};
}

std::expected<void, QString> copyFile(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        return std::unexpected(from + QStringLiteral(": ") + source.errorString());
    }
    return writeFile(to, source.readAll());
}

// The description in every language the bundle has a translation for, as
// "Comment[it]=…" lines: the desktop shows the one of the session's language.
QString translatedComments(const QString& folder) {
    QString lines;
    const QStringList files =
        QDir(folder).entryList({QStringLiteral("VelmarKestle_*.qm")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        const QString language = name.mid(13, name.size() - 16);
        QTranslator translator;
        if (language == QStringLiteral("en") || !translator.load(name, folder)) {
            continue;
        }
        const QString text = translator.translate("kestle::app::LauncherEntry", comment);
        if (!text.isEmpty() && text != QLatin1String(comment)) {
            lines += QStringLiteral("Comment[%1]=%2\n")
                         .arg(language, DesktopEntryFormat::escapedValue(text));
        }
    }
    return lines;
}

} // namespace

LauncherEntry::LauncherEntry(Details details, IconRenderer renderIcon)
    : details_(std::move(details)), renderIcon_(std::move(renderIcon)) {}

LauncherEntry::Details LauncherEntry::forRunningApp(const QString& bundle, const QString& bundleID,
                                                    const QString& version) {
    const QString executable = QCoreApplication::applicationFilePath();
    // Qt's X11 windows take the application name as their class, or else the
    // executable's name with a capital first letter.
    QString windowClass = QCoreApplication::applicationName();
    if (windowClass.isEmpty()) {
        windowClass = QFileInfo(executable).fileName();
        if (!windowClass.isEmpty()) {
            windowClass[0] = windowClass[0].toUpper();
        }
    }
    return {.bundle = bundle,
            .executable = executable,
            .bundleID = bundleID,
            .version = version,
            .dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
            .windowClass = windowClass};
}

QString LauncherEntry::file() const {
    return details_.dataHome + QStringLiteral("/applications/") + details_.bundleID +
           QStringLiteral(".desktop");
}

QString LauncherEntry::iconFile(int side) const {
    const QString hicolor = details_.dataHome + QStringLiteral("/icons/hicolor/");
    if (side == 0) {
        return hicolor + QStringLiteral("scalable/apps/") + details_.bundleID +
               QStringLiteral(".svg");
    }
    return hicolor + QStringLiteral("%1x%1/apps/").arg(side) + details_.bundleID +
           QStringLiteral(".png");
}

QString LauncherEntry::symbolicIconFile() const {
    return details_.dataHome +
           QStringLiteral("/icons/hicolor/symbolic/apps/KestleMenuIcon-symbolic.svg");
}

QString LauncherEntry::bundleIcons() const {
    return details_.bundle + QStringLiteral("/Contents/Resources/icons/");
}

const char* LauncherEntry::outcomeName(Outcome outcome) {
    return outcome == Outcome::written ? "written" : "unchanged";
}

QString LauncherEntry::entryText() const {
    using F = DesktopEntryFormat;
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=VelmarKestle\n"
                          "Comment=%1\n"
                          "%2"
                          "Exec=%3\n"
                          "TryExec=%4\n"
                          "Icon=%5\n"
                          "Terminal=false\n"
                          "StartupNotify=true\n"
                          "StartupWMClass=%6\n"
                          "Categories=System;PackageManager;\n"
                          "SingleMainWindow=true\n"
                          "X-GNOME-UsesNotifications=true\n"
                          "%7=%8\n")
        .arg(QLatin1String(comment),
             translatedComments(details_.bundle +
                                QStringLiteral("/Contents/Resources/translations")),
             F::execValue(details_.executable), F::escapedValue(details_.executable),
             F::escapedValue(details_.bundleID), F::escapedValue(details_.windowClass),
             QLatin1String(versionKey), F::escapedValue(details_.version));
}

bool LauncherEntry::isCurrent() const {
    QFile entry(file());
    // An entry is a few hundred bytes; anything much larger is not ours.
    if (!entry.open(QIODevice::ReadOnly) || entry.size() > 64 * 1024) {
        return false;
    }
    const auto keys = DesktopEntryFormat::keys(entry.readAll());
    return keys.value(QLatin1String(versionKey)) ==
               DesktopEntryFormat::escapedValue(details_.version) &&
           DesktopEntryFormat::program(keys.value(QStringLiteral("Exec"))) == details_.executable;
}

std::expected<void, QString> LauncherEntry::writeIcons() const {
    for (int side : iconSides) {
        const QImage image = renderIcon_(side);
        if (image.size() != QSize(side, side)) {
            return std::unexpected(QStringLiteral("the icon of side %1 did not render").arg(side));
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) {
            return std::unexpected(QStringLiteral("the icon of side %1 did not encode").arg(side));
        }
        if (auto written = writeFile(iconFile(side), png); !written) {
            return written;
        }
    }
    if (auto copied = copyFile(bundleIcons() + QStringLiteral("velmarkestle.svg"), iconFile(0));
        !copied) {
        return copied;
    }
    // The menu bar icon ships only with bundles that have one.
    const QString symbolic = bundleIcons() + QStringLiteral("KestleMenuIcon-symbolic.svg");
    if (QFile::exists(symbolic)) {
        return copyFile(symbolic, symbolicIconFile());
    }
    return {};
}

void LauncherEntry::refreshCaches() const {
    // Only the MIME cache lives beside entries; harmless without MimeType, and menus
    // that read it see the new entry sooner.
    const QString desktopDatabase =
        QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!desktopDatabase.isEmpty()) {
        QProcess::startDetached(desktopDatabase,
                                {QStringLiteral("-q"), QFileInfo(file()).absolutePath()});
    }
    // A stale icon cache hides new icons, and a cache made where there was none would
    // go stale at the next change by another program: refresh only one that exists.
    const QString hicolor = details_.dataHome + QStringLiteral("/icons/hicolor");
    const QString iconCache =
        QStandardPaths::findExecutable(QStringLiteral("gtk-update-icon-cache"));
    if (!iconCache.isEmpty() && QFile::exists(hicolor + QStringLiteral("/icon-theme.cache"))) {
        QProcess::startDetached(
            iconCache, {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("-f"), hicolor});
    }
}

std::expected<LauncherEntry::Outcome, QString> LauncherEntry::ensureInstalled() const {
    if (isCurrent()) {
        return Outcome::unchanged;
    }
    // The icons first: the entry, which carries the version, comes last, so an install
    // cut short is done again at the next start.
    if (auto icons = writeIcons(); !icons) {
        return std::unexpected(icons.error());
    }
    if (auto entry = writeFile(file(), entryText().toUtf8()); !entry) {
        return std::unexpected(entry.error());
    }
    refreshCaches();
    return Outcome::written;
}

} // namespace kestle::app
