#pragma once

#include <expected>

#include <QString>

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
};

} // namespace kestle::app
