#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>

// The application's log categories, each named "<bundle identifier>.<area>". Messages
// at the platform's default level go to info, errors to warning, faults to critical.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcActions)
Q_DECLARE_LOGGING_CATEGORY(lcCheck)
Q_DECLARE_LOGGING_CATEGORY(lcInstall)
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
Q_DECLARE_LOGGING_CATEGORY(lcSelfUpdate)
Q_DECLARE_LOGGING_CATEGORY(lcTrash)
Q_DECLARE_LOGGING_CATEGORY(lcNotify)

namespace kestle::app {

// The application's bundle identifier, fixed when it is built.
inline constexpr const char* bundleIdentifier = KESTLE_BUNDLE_ID;

// While it lives, every log message reaches the handler installed before it with its
// control characters escaped: versions, names and ids come from feeds and catalogs,
// and a newline in one must not forge a log line. One at a time, on the main thread.
class LogEscaping {
public:
    LogEscaping();
    ~LogEscaping();
    LogEscaping(const LogEscaping&) = delete;
    LogEscaping& operator=(const LogEscaping&) = delete;

    // "\n", "\r" and "\t" for those three; "\xHH" for the other C0 controls and DEL;
    // "\u{HHHH}" for C1 controls and the line and paragraph separators.
    static QString escaped(const QString& message);

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    QtMessageHandler previous_;
};

} // namespace kestle::app
