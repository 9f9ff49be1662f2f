#include "services/LoginItem.hpp"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include "Logging.hpp"

namespace kestle::app {

AutostartEntry LoginItem::entry() {
    return AutostartEntry(QStringLiteral(KESTLE_BUNDLE_ID), QCoreApplication::applicationFilePath(),
                          QGuiApplication::desktopFileName().isEmpty()
                              ? QStringLiteral(KESTLE_BUNDLE_ID)
                              : QGuiApplication::desktopFileName());
}

std::expected<void, QString> LoginItem::setOpenAtLogin(bool on) {
    auto status = entry().setOpenAtLogin(on);
    if (!status) {
        return std::unexpected(status.error());
    }
    qCInfo(lcApp, "Open at login %s: status %s", on ? "on" : "off",
           AutostartEntry::statusName(*status));
    return {};
}

std::optional<std::pair<QString, QStringList>> LoginItem::settingsCommand() {
    if (!qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QStringLiteral("KDE"))) {
        return std::nullopt;
    }
    for (const char* program : {"kcmshell6", "kcmshell5"}) {
        QString path = QStandardPaths::findExecutable(QString::fromLatin1(program));
        if (!path.isEmpty()) {
            return std::pair{path, QStringList{QStringLiteral("kcm_autostart")}};
        }
    }
    return std::nullopt;
}

std::function<void()> LoginItem::settingsOpener() {
    auto command = settingsCommand();
    if (!command) {
        return {};
    }
    return [command = *command] { QProcess::startDetached(command.first, command.second); };
}

} // namespace kestle::app
