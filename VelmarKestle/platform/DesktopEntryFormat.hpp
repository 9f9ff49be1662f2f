#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace kestle::app {

// Reading and writing the desktop entry format (.desktop files) for the entries the
// application writes itself: the launcher's and the autostart one.
class DesktopEntryFormat {
public:
    // A string value: backslashes and line breaks escaped.
    static QString escapedValue(const QString& value);
    // One argument of Exec: quoted, with the characters the quotes do not protect
    // escaped, and a literal "%" doubled so it is not read as a field code.
    static QString quotedArgument(const QString& argument);
    // The value of Exec that starts program with arguments, escaped for the file.
    static QString execValue(const QString& program, const QStringList& arguments = {});
    // The program an Exec value starts: its first argument, unescaped and unquoted.
    static QString program(const QString& exec);
    // The keys of the "[Desktop Entry]" group, values as written. Read by hand:
    // QSettings would take the group for its own escaping ("Desktop%20Entry").
    static QHash<QString, QString> keys(const QByteArray& text);
};

} // namespace kestle::app
