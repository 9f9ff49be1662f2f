#include "services/ProblemReport.hpp"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "platform/Workspace.hpp"
#include "services/AppInfo.hpp"
#include "support/SystemInfo.hpp"

namespace kestle::app {

namespace {

constexpr int kLinesWidth = 260;

} // namespace

ProblemReport::System ProblemReport::System::current() {
    System system{SystemInfo::version(), std::nullopt};
    // The kernel's build line ("#1 SMP PREEMPT_DYNAMIC Debian 6.1.123-1 …"), the nearest
    // thing Linux has to a system build number.
    QFile file(QStringLiteral("/proc/sys/kernel/version"));
    if (file.open(QIODevice::ReadOnly)) {
        const QString build = QString::fromUtf8(file.read(256)).trimmed();
        if (!build.isEmpty()) {
            system.build = build.toStdString();
        }
    }
    return system;
}

QString ProblemReport::systemLine(const System& system) {
    const QStringList parts = QString::fromStdString(system.version).split(u'.');
    auto part = [&](qsizetype index) { return index < parts.size() ? parts[index].toInt() : 0; };
    QString line = QStringLiteral("Linux %1.%2").arg(part(0)).arg(part(1));
    if (part(2) > 0) {
        line += QStringLiteral(".%1").arg(part(2));
    }
    if (system.build && !system.build->empty()) {
        line += QStringLiteral(" (%1)").arg(QString::fromStdString(*system.build));
    }
    return line;
}

QStringList ProblemReport::diagnosticLines(const QString& appLine, const System& system,
                                           const std::vector<AppEntry>& entries) {
    QStringList lines{appLine, systemLine(system)};
    for (const AppEntry& entry : entries) {
        if (entry.installed) {
            lines << QStringLiteral("%1 %2 (%3)")
                         .arg(QString::fromStdString(entry.app.name),
                              QString::fromStdString(entry.installed->version),
                              QString::fromStdString(entry.installed->build));
        }
    }
    return lines;
}

QString ProblemReport::subject(const std::optional<AppEntry>& entry, const QString& versionText) {
    if (entry && entry->installed) {
        //: Subject of the problem e-mail about one app: its name and installed version
        return ProblemReport::tr("Problem with %1 %2, from VelmarKestle")
            .arg(QString::fromStdString(entry->app.name),
                 QString::fromStdString(entry->installed->version));
    }
    //: Subject of the problem e-mail about this application: its version text
    return ProblemReport::tr("Problem with VelmarKestle %1").arg(versionText);
}

QString ProblemReport::body(const QStringList& lines) {
    return ProblemReport::tr("What happened, and what were you doing just before?") +
           QStringLiteral("\n\n\n\n") + lines.join(u'\n') + u'\n';
}

QUrl ProblemReport::mailto(const QString& address, const QString& subject, const QString& body) {
    // Every byte but the unreserved ones is escaped, so "&", "=", "?", line breaks and
    // letters beyond ASCII cannot change the URL's structure.
    auto encoded = [](const QString& text) {
        return QString::fromLatin1(text.toUtf8().toPercentEncoding());
    };
    const QString text = QStringLiteral("mailto:") + address + QStringLiteral("?subject=") +
                         encoded(subject) + QStringLiteral("&body=") + encoded(body);
    return QUrl(text, QUrl::StrictMode);
}

void ProblemReport::show(const std::optional<AppEntry>& entry, const std::vector<AppEntry>& entries,
                         const QString& supportAddress, QWidget* parent) {
    const QString versionText = appVersionText();
    const QStringList lines =
        diagnosticLines(appDisplayName() + u' ' + versionText, System::current(), entries);

    QMessageBox box(parent);
    box.setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
    box.setWindowTitle(ProblemReport::tr("Report a Problem"));
    box.setText(ProblemReport::tr("Report a Problem"));
    //: The problem report's explanation: the support e-mail address
    box.setInformativeText(
        ProblemReport::tr("Email %1 and tell us what happened and what you were doing just before.")
            .arg(supportAddress) +
        QStringLiteral("\n\n") + ProblemReport::tr("The email already includes:"));

    auto* details = new QLabel(lines.join(u'\n'), &box);
    details->setTextFormat(Qt::PlainText);
    details->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    details->setWordWrap(true);
    details->setMaximumWidth(kLinesWidth);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(QApplication::font().pointSizeF() * 0.85);
    details->setFont(mono);
    details->setForegroundRole(QPalette::PlaceholderText);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        // Below the texts, beside the icon, above the buttons.
        const int buttonsRow = grid->rowCount() - 1;
        QLayoutItem* buttons = grid->itemAtPosition(buttonsRow, 0);
        if (buttons != nullptr) {
            grid->removeItem(buttons);
            grid->addWidget(details, buttonsRow, 1);
            grid->addItem(buttons, buttonsRow + 1, 0, 1, grid->columnCount());
        } else {
            grid->addWidget(details, grid->rowCount(), 1);
        }
    }

    // One role for all three: a button box orders roles as the desktop does, but keeps
    // the buttons of one role in the order they were added.
    QPushButton* write = box.addButton(ProblemReport::tr("Write Email"), QMessageBox::ActionRole);
    QPushButton* copy = box.addButton(ProblemReport::tr("Copy Address"), QMessageBox::ActionRole);
    QPushButton* cancel = box.addButton(ProblemReport::tr("Cancel"), QMessageBox::ActionRole);
    box.setDefaultButton(write);
    box.setEscapeButton(cancel);
    box.exec();

    if (box.clickedButton() == write) {
        Workspace::openUrl(mailto(supportAddress, subject(entry, versionText), body(lines)));
    } else if (box.clickedButton() == copy) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(supportAddress);
    }
}

} // namespace kestle::app
