#include "platform/AutostartEntry.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace kestle::app {

namespace {

// An argument of Exec: quoted, with the characters the quotes do not protect escaped
// (Desktop Entry Specification, "The Exec key").
QString quotedArgument(const QString& argument) {
    QString quoted;
    for (QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += u'\\';
        }
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

// A string value: backslashes and line breaks escaped, as the format's values are.
QString escapedValue(const QString& value) {
    QString escaped;
    for (QChar c : value) {
        if (c == u'\\') {
            escaped += QStringLiteral("\\\\");
        } else if (c == u'\n') {
            escaped += QStringLiteral("\\n");
        } else if (c == u'\r') {
            escaped += QStringLiteral("\\r");
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// The "[Desktop Entry]" group's keys, read by hand: QSettings would take the group for
// its own escaping ("Desktop%20Entry").
QHash<QString, QString> desktopEntry(const QByteArray& text) {
    QHash<QString, QString> keys;
    bool inGroup = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inGroup && equals > 0 && !line.startsWith(u'#')) {
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
        }
    }
    return keys;
}

// The program Exec starts: its first argument, unquoted.
QString program(const QString& exec) {
    QString unescaped = exec;
    unescaped.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    if (!unescaped.startsWith(u'"')) {
        return unescaped.section(u' ', 0, 0);
    }
    QString result;
    for (qsizetype i = 1; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (c == u'\\' && i + 1 < unescaped.size()) {
            result += unescaped[++i];
        } else if (c == u'"') {
            break;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace

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
    const auto keys = desktopEntry(entry.readAll());
    if (keys.value(QStringLiteral("Hidden")) == QStringLiteral("true") ||
        keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) == QStringLiteral("false")) {
        return Status::notRegistered;
    }
    const QFileInfo executable(program(keys.value(QStringLiteral("Exec"))));
    if (!executable.isAbsolute() || !executable.isExecutable() || !executable.isFile()) {
        return Status::notFound;
    }
    return Status::enabled;
}

QString AutostartEntry::entryText() const {
    const QString exec = escapedValue(quotedArgument(executable_)) + u' ' + QLatin1String(argument);
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
        .arg(exec, escapedValue(executable_), escapedValue(icon_));
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
