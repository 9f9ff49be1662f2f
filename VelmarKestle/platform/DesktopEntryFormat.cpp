#include "platform/DesktopEntryFormat.hpp"

namespace kestle::app {

QString DesktopEntryFormat::escapedValue(const QString& value) {
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

QString DesktopEntryFormat::quotedArgument(const QString& argument) {
    QString quoted;
    for (QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += u'\\';
        } else if (c == u'%') {
            quoted += u'%';
        }
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

QString DesktopEntryFormat::execValue(const QString& program, const QStringList& arguments) {
    QString exec = quotedArgument(program);
    for (const QString& argument : arguments) {
        exec += u' ' + quotedArgument(argument);
    }
    return escapedValue(exec);
}

QString DesktopEntryFormat::program(const QString& exec) {
    // The string's escapes first, then the quoting: the order readers apply them in.
    QString unescaped;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] != u'\\' || i + 1 == exec.size()) {
            unescaped += exec[i];
            continue;
        }
        switch (exec[++i].unicode()) {
        case 's':
            unescaped += u' ';
            break;
        case 'n':
            unescaped += u'\n';
            break;
        case 't':
            unescaped += u'\t';
            break;
        case 'r':
            unescaped += u'\r';
            break;
        default:
            unescaped += exec[i];
        }
    }
    QString result;
    if (!unescaped.startsWith(u'"')) {
        result = unescaped.section(u' ', 0, 0);
    } else {
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
    }
    return result.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

QHash<QString, QString> DesktopEntryFormat::keys(const QByteArray& text) {
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

} // namespace kestle::app
