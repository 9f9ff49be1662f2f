#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "apps/AppEntry.hpp"

class QWidget;

namespace kestle::app {

// An e-mail about a problem, prepared in the user's mail program: a subject naming the
// app, and a body that already holds the versions of this application, of the system
// and of every installed app of the catalog.
class ProblemReport {
    Q_DECLARE_TR_FUNCTIONS(kestle::app::ProblemReport)

public:
    struct System {
        std::string version;              // "6.1.0"
        std::optional<std::string> build; // the kernel's build line, when readable
        static System current();
    };

    // "VelmarKestle 1.0 (1)", the system line, then one line per installed entry.
    static QStringList diagnosticLines(const QString& appLine, const System& system,
                                       const std::vector<AppEntry>& entries);
    static QString systemLine(const System& system);
    // About the entry's installed app, else about this application.
    static QString subject(const std::optional<AppEntry>& entry, const QString& versionText);
    static QString body(const QStringList& lines);
    // mailto:address?subject=…&body=…, everything but unreserved characters escaped.
    static QUrl mailto(const QString& address, const QString& subject, const QString& body);

    // The dialog: "Write Email" opens the mail program, "Copy Address" puts the address
    // on the clipboard, "Cancel" does nothing.
    static void show(const std::optional<AppEntry>& entry, const std::vector<AppEntry>& entries,
                     const QString& supportAddress, QWidget* parent = nullptr);
};

} // namespace kestle::app
