#include "Logging.hpp"

#include <algorithm>
#include <atomic>

Q_LOGGING_CATEGORY(lcApp, KESTLE_BUNDLE_ID ".app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcActions, KESTLE_BUNDLE_ID ".actions", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCheck, KESTLE_BUNDLE_ID ".check", QtInfoMsg)
Q_LOGGING_CATEGORY(lcInstall, KESTLE_BUNDLE_ID ".install", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpdate, KESTLE_BUNDLE_ID ".update", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSelfUpdate, KESTLE_BUNDLE_ID ".self-update", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTrash, KESTLE_BUNDLE_ID ".trash", QtInfoMsg)
Q_LOGGING_CATEGORY(lcNotify, KESTLE_BUNDLE_ID ".notify", QtInfoMsg)

namespace kestle::app {

namespace {

std::atomic<QtMessageHandler> forwardTo{nullptr};

bool needsEscape(char16_t c) {
    return c < 0x20 || c == 0x7f || (c >= 0x80 && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

} // namespace

LogEscaping::LogEscaping() : previous_(qInstallMessageHandler(&LogEscaping::handle)) {
    forwardTo = previous_;
}

LogEscaping::~LogEscaping() {
    qInstallMessageHandler(previous_);
    forwardTo = nullptr;
}

QString LogEscaping::escaped(const QString& message) {
    if (std::none_of(message.begin(), message.end(),
                     [](QChar c) { return needsEscape(c.unicode()); })) {
        return message;
    }
    QString out;
    out.reserve(message.size() + 8);
    for (QChar c : message) {
        const char16_t u = c.unicode();
        if (!needsEscape(u)) {
            out.append(c);
        } else if (u == u'\n') {
            out.append(u"\\n");
        } else if (u == u'\r') {
            out.append(u"\\r");
        } else if (u == u'\t') {
            out.append(u"\\t");
        } else if (u < 0x80) {
            out.append(QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0')));
        } else {
            out.append(QStringLiteral("\\u{%1}").arg(int(u), 4, 16, QLatin1Char('0')));
        }
    }
    return out;
}

void LogEscaping::handle(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
    if (QtMessageHandler next = forwardTo.load()) {
        next(type, context, escaped(message));
    }
}

} // namespace kestle::app
