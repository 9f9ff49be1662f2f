#include "platform/Workspace.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>

#include "Bundle.hpp"

namespace kestle {

namespace {

bool startDetached(const QString& program, const QString& workingDirectory) {
    if (auto& start = Workspace::hooks().start) {
        return start(program, workingDirectory);
    }
    QProcess process;
    process.setProgram(program);
    process.setWorkingDirectory(workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

// The freedesktop file manager interface; false when no file manager answers.
bool showItem(const QUrl& item) {
    if (auto& show = Workspace::hooks().showItem) {
        return show(item);
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{item.toString(QUrl::FullyEncoded)} << QString();
    // A short wait: the call only hands the request over, and a bus without the
    // service answers with an error at once.
    QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

Workspace::Hooks& Workspace::hooks() {
    static Hooks hooks;
    return hooks;
}

std::expected<void, QString> Workspace::openApplication(const std::filesystem::path& bundle) {
    auto opened = framework::Bundle::open(bundle);
    if (!opened) {
        return std::unexpected(QStringLiteral("%1 is not an application bundle")
                                   .arg(QString::fromStdString(bundle.string())));
    }
    auto executable = opened->executable();
    std::error_code error;
    if (!executable || !std::filesystem::is_regular_file(*executable, error)) {
        return std::unexpected(QStringLiteral("%1 has no program to start")
                                   .arg(QString::fromStdString(bundle.string())));
    }
    if (!startDetached(QString::fromStdString(executable->string()), QDir::homePath())) {
        return std::unexpected(QStringLiteral("%1 could not be started")
                                   .arg(QString::fromStdString(executable->string())));
    }
    return {};
}

void Workspace::revealInFileManager(const std::filesystem::path& item) {
    const QString path = QString::fromStdString(item.string());
    if (!showItem(QUrl::fromLocalFile(path))) {
        openUrl(QUrl::fromLocalFile(QString::fromStdString(item.parent_path().string())));
    }
}

bool Workspace::openUrl(const QUrl& url) {
    if (auto& open = hooks().openUrl) {
        return open(url);
    }
    return QDesktopServices::openUrl(url);
}

} // namespace kestle
