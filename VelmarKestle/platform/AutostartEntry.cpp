#include "platform/AutostartEntry.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/DesktopEntryFormat.hpp"

namespace kestle::app {

AutostartEntry::AutostartEntry(QString bundleID, QString executable, QString icon)
    : bundleID_(std::move(bundleID)), executable_(std::move(executable)), icon_(std::move(icon)) {}

QString AutostartEntry::file() const {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + bundleID_ + QStringLiteral(".desktop");
}

const char* AutostartEntry::statusName(Status status) {
    switch (status) {
    case Status::notRegistered:
        return "notRegistered";
    case Status::enabled:
        return "enabled";
    case Status::requiresApproval:
        return "requiresApproval";
    case Status::notFound:
        return "notFound";
    case Status::unknown:
        break;
    }
    return "unknown";
}

AutostartEntry::Status AutostartEntry::status() const {
    QFile entry(file());
    if (!entry.exists()) {
        return Status::notRegistered;
    }
    // An entry is a few hundred bytes; anything much larger is not ours to read whole.
    if (!entry.open(QIODevice::ReadOnly) || entry.size() > 64 * 1024) {
        return Status::unknown;
    }
    const auto keys = DesktopEntryFormat::keys(entry.readAll());
    if (keys.value(QStringLiteral("Hidden")) == QStringLiteral("true") ||
        keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) == QStringLiteral("false")) {
        return Status::notRegistered;
    }
    const QFileInfo executable(DesktopEntryFormat::program(keys.value(QStringLiteral("Exec"))));
    if (!executable.isAbsolute() || !executable.isExecutable() || !executable.isFile()) {
        return Status::notFound;
    }
    return Status::enabled;
}

QString AutostartEntry::entryText() const {
    const QString exec =
        DesktopEntryFormat::execValue(executable_) + u' ' + QLatin1String(argument);
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=VelmarKestle\n"
                          "Exec=%1\n"
                          "TryExec=%2\n"
                          "Icon=%3\n"
                          "Terminal=false\n"
                          "StartupNotify=false\n"
                          "X-GNOME-Autostart-enabled=true\n"
                          "X-KDE-autostart-after=panel\n")
        .arg(exec, DesktopEntryFormat::escapedValue(executable_),
             DesktopEntryFormat::escapedValue(icon_));
}

std::expected<AutostartEntry::Status, QString> AutostartEntry::setOpenAtLogin(bool on) const {
    const QString path = file();
    if (on) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            return std::unexpected(QStringLiteral("cannot make the folder of ") + path);
        }
        QSaveFile entry(path);
        if (!entry.open(QIODevice::WriteOnly) || entry.write(entryText().toUtf8()) < 0 ||
            !entry.commit()) {
            return std::unexpected(entry.errorString());
        }
    } else if (QFile entry(path); entry.exists() && !entry.remove()) {
        return std::unexpected(entry.errorString());
    }
    return status();
}

} // namespace kestle::app
