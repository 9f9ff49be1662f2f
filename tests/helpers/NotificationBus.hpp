#pragma once

#include <atomic>
#include <optional>
#include <vector>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QVariantMap>

namespace kestle::test {

// The arguments of each call a python-dbusmock object recorded, oldest first, from the
// reply to its GetMethodCalls.
inline std::vector<QVariantList> recordedCalls(const QDBusMessage& reply) {
    std::vector<QVariantList> calls;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return calls;
    }
    const auto array = reply.arguments().first().value<QDBusArgument>();
    array.beginArray();
    while (!array.atEnd()) {
        qulonglong time = 0;
        QVariantList arguments;
        array.beginStructure();
        array >> time >> arguments;
        array.endStructure();
        calls.push_back(std::move(arguments));
    }
    array.endArray();
    return calls;
}

// A session bus of its own, with no activatable services, so a test never reaches the
// machine's bus or starts a real notification server. Ends with the object.
class PrivateBus {
public:
    PrivateBus() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() ||
            !folder_.isValid()) {
            return;
        }
        const QString config = folder_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) {
            return;
        }
        file.write(QStringLiteral("<busconfig><type>session</type>"
                                  "<listen>unix:dir=%1</listen>"
                                  "<policy context=\"default\"><allow send_destination=\"*\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                  "</busconfig>")
                       .arg(folder_.path())
                       .toUtf8());
        file.close();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted() || !daemon_.waitForReadyRead(5000)) {
            return;
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        static std::atomic<int> serial = 0;
        name_ = QStringLiteral("private-bus-%1").arg(++serial);
        connection_ = QDBusConnection::connectToBus(address_, name_);
    }
    ~PrivateBus() {
        if (connection_) {
            QDBusConnection::disconnectFromBus(name_);
        }
        daemon_.kill();
        daemon_.waitForFinished();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool isUp() const { return connection_ && connection_->isConnected(); }
    const QString& address() const { return address_; }
    QDBusConnection connection() const { return *connection_; }

private:
    QTemporaryDir folder_;
    QProcess daemon_;
    QString address_;
    QString name_;
    std::optional<QDBusConnection> connection_;
};

// python3-dbusmock's notification daemon on a private bus: records every call and
// sends the signals a test asks for.
class MockNotificationServer {
public:
    // Debian's interpreter, where python3-dbusmock is installed, even when PATH puts
    // another python3 first.
    static QString python() {
        const QString system = QStringLiteral("/usr/bin/python3");
        return QFile::exists(system) ? system : QStringLiteral("python3");
    }

    static constexpr const char* service = "org.freedesktop.Notifications";
    static constexpr const char* path = "/org/freedesktop/Notifications";

    struct Notify {
        uint replacesId = 0;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };

    static bool available() {
        QProcess probe;
        probe.start(python(), {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
        return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
               probe.exitCode() == 0;
    }

    MockNotificationServer(const PrivateBus& bus, const QString& capabilities) : bus_(bus) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        process_.setProcessEnvironment(environment);
        process_.start(python(), {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                                  QStringLiteral("--template"),
                                  QStringLiteral("notification_daemon"), QStringLiteral("-p"),
                                  QStringLiteral("{\"capabilities\": \"%1\"}").arg(capabilities)});
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000 &&
               !bus.connection().interface()->isServiceRegistered(QString::fromLatin1(service))) {
            QThread::msleep(50);
        }
    }
    ~MockNotificationServer() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    bool isUp() const {
        return bus_.connection().interface()->isServiceRegistered(QString::fromLatin1(service));
    }

    // The Notify calls so far, oldest first.
    std::vector<Notify> notifyCalls() const {
        const QDBusMessage reply =
            mock(QStringLiteral("GetMethodCalls"), {QStringLiteral("Notify")});
        std::vector<Notify> calls;
        for (const QVariantList& arguments : recordedCalls(reply)) {
            if (arguments.size() != 8) {
                continue;
            }
            Notify call;
            call.replacesId = arguments[1].toUInt();
            call.summary = arguments[3].toString();
            call.body = arguments[4].toString();
            call.actions = qdbus_cast<QStringList>(arguments[5]);
            call.hints = qdbus_cast<QVariantMap>(arguments[6]);
            calls.push_back(call);
        }
        return calls;
    }

    // Sends one of the server's signals with these arguments (D-Bus signature given).
    void emitSignal(const QString& name, const QString& signature, const QVariantList& arguments) {
        mock(QStringLiteral("EmitSignal"),
             {QString::fromLatin1(service), name, signature, QVariant::fromValue(arguments)});
    }

private:
    QDBusMessage mock(const QString& method, const QVariantList& arguments) const {
        QDBusMessage call =
            QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(path),
                                           QStringLiteral("org.freedesktop.DBus.Mock"), method);
        call.setArguments(arguments);
        return bus_.connection().call(call, QDBus::Block, 5000);
    }

    const PrivateBus& bus_;
    QProcess process_;
};

// dunst, a real notification server, on a private bus and a virtual display of its own.
// Its context menu program is a script that picks the action a test asks for, so
// invoke() is a click on that button.
class DunstServer {
public:
    static bool available() {
        return !QStandardPaths::findExecutable(QStringLiteral("dunst")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("dunstctl")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty();
    }

    explicit DunstServer(const PrivateBus& bus) : bus_(bus) {
        if (!folder_.isValid()) {
            return;
        }
        // -displayfd: the server picks a free display and prints its number when ready.
        display_.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!display_.waitForStarted() || !display_.waitForReadyRead(10000)) {
            return;
        }
        const QString number = QString::fromUtf8(display_.readLine()).trimmed();
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + number);
        environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        const QString config = folder_.filePath(QStringLiteral("dunstrc"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) {
            return;
        }
        file.write(QStringLiteral("[global]\ndmenu = %1\n").arg(script()).toUtf8());
        file.close();
        choose(QStringLiteral("default"));
        server_.setProcessEnvironment(environment_);
        server_.start(QStringLiteral("dunst"), {QStringLiteral("-config"), config});
        if (!server_.waitForStarted()) {
            return;
        }
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000 && !isUp()) {
            QThread::msleep(50);
        }
    }
    ~DunstServer() {
        for (QProcess* process : {&server_, &display_}) {
            process->terminate();
            if (!process->waitForFinished(3000)) {
                process->kill();
                process->waitForFinished();
            }
        }
    }
    DunstServer(const DunstServer&) = delete;
    DunstServer& operator=(const DunstServer&) = delete;

    bool isUp() const {
        return server_.state() == QProcess::Running &&
               bus_.connection().interface()->isServiceRegistered(
                   QString::fromLatin1(MockNotificationServer::service));
    }

    // What the display and the server said, for a failure's message.
    std::string diagnostics() {
        return (display_.readAllStandardError() + server_.readAllStandardError() +
                server_.readAllStandardOutput())
            .toStdString();
    }

    // How many notifications are on the screen.
    int displayed() const {
        return control({QStringLiteral("count"), QStringLiteral("displayed")})
            .value_or(QStringLiteral("-1"))
            .toInt();
    }

    // Clicks the button with this action key on the notification shown.
    bool invoke(const QString& key) {
        choose(key);
        return control({QStringLiteral("context")}).has_value();
    }

private:
    QString script() const { return folder_.filePath(QStringLiteral("pick")); }

    // dunst lists the actions as "#label (summary) [id,key]", one per line.
    void choose(const QString& key) {
        QFile file(script());
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QStringLiteral("#!/bin/sh\ngrep -m1 -F ',%1]'\n").arg(key).toUtf8());
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    // dunstctl's output; none when it failed.
    std::optional<QString> control(const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(environment_);
        process.start(QStringLiteral("dunstctl"), arguments);
        if (!process.waitForFinished(10000) || process.exitCode() != 0) {
            return std::nullopt;
        }
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    const PrivateBus& bus_;
    QTemporaryDir folder_;
    QProcess display_;
    QProcess server_;
    QProcessEnvironment environment_;
};

} // namespace kestle::test
