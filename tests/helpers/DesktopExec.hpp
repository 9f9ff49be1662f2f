#pragma once

#include <string>

#include <QFile>
#include <QProcess>
#include <QString>

namespace kestle::test {

// The program a desktop entry's Exec starts, read by an independent parser as the format
// says: the value's escapes first, then the quoting, where a backslash escapes the next
// character, and "%%" is a "%"; the arguments after it are left out. Empty, with the
// reason in error, when it cannot be read.
inline std::string desktopExecProgram(
    const QString& entryFile, std::string* error = nullptr,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    const std::string script = R"(import sys, configparser
p = configparser.RawConfigParser(interpolation=None); p.optionxform = str; p.read(sys.argv[1])
e = p['Desktop Entry']['Exec'].replace('\\\\', '\\')
assert e[0] == '"'
out, i = '', 1
while e[i] != '"':
    if e[i] == '\\':
        assert e[i + 1] in '"`$\\'
        i += 1
    elif e[i] == '%':
        assert e[i + 1] == '%'
        i += 1
    out += e[i]
    i += 1
assert i == len(e) - 1 or e[i + 1] == ' ', 'a space after the program'
print(out, end='')
)";
    QProcess run;
    run.setProcessEnvironment(environment);
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3"))
                               ? QStringLiteral("/usr/bin/python3")
                               : QStringLiteral("python3");
    run.start(python, {QStringLiteral("-c"), QString::fromStdString(script), entryFile});
    if (!run.waitForFinished(10000) || run.exitCode() != 0) {
        if (error != nullptr) {
            *error = run.readAllStandardError().toStdString();
        }
        return {};
    }
    return run.readAllStandardOutput().toStdString();
}

} // namespace kestle::test
