#pragma once

#include <QLoggingCategory>

// The application's log categories, each named "<bundle identifier>.<area>". Messages
// at the platform's default level go to info, errors to warning, faults to critical.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcActions)
Q_DECLARE_LOGGING_CATEGORY(lcCheck)
Q_DECLARE_LOGGING_CATEGORY(lcInstall)
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
Q_DECLARE_LOGGING_CATEGORY(lcSelfUpdate)

namespace kestle::app {

// The application's bundle identifier, fixed when it is built.
inline constexpr const char* bundleIdentifier = KESTLE_BUNDLE_ID;

} // namespace kestle::app
