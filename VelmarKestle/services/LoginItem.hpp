#pragma once

#include <expected>
#include <functional>
#include <optional>
#include <utility>

#include <QString>
#include <QStringList>

#include "platform/AutostartEntry.hpp"

namespace kestle::app {

// Opening the running application at login, for the settings.
struct LoginItem {
    using Status = AutostartEntry::Status;

    // The entry of this program: its bundle identifier and executable.
    static AutostartEntry entry();

    static Status status() { return entry().status(); }
    // On success logs "Open at login on|off: status …"; the error goes to the caller.
    static std::expected<void, QString> setOpenAtLogin(bool on);

    // The desktop's own page for the programs started at login (program and
    // arguments), where it has one.
    static std::optional<std::pair<QString, QStringList>> settingsCommand();
    // Opens that page; none where there is no page.
    static std::function<void()> settingsOpener();
};

} // namespace kestle::app
