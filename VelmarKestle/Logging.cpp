#include "Logging.hpp"

Q_LOGGING_CATEGORY(lcApp, KESTLE_BUNDLE_ID ".app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcActions, KESTLE_BUNDLE_ID ".actions", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCheck, KESTLE_BUNDLE_ID ".check", QtInfoMsg)
Q_LOGGING_CATEGORY(lcInstall, KESTLE_BUNDLE_ID ".install", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpdate, KESTLE_BUNDLE_ID ".update", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSelfUpdate, KESTLE_BUNDLE_ID ".self-update", QtInfoMsg)
