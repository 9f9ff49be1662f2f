#include "services/LoginItem.hpp"

#include <QCoreApplication>
#include <QGuiApplication>

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

} // namespace kestle::app
