#pragma once

#include <functional>
#include <optional>

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include "platform/NotificationServer.hpp"

namespace kestle {

// org.freedesktop.Notifications on one bus connection. Signals are awaited on the
// connection that sent Notify, because some servers send them only to the sender.
// Calls are asynchronous: the server may be started on demand, or hang.
class FreedesktopNotifications : public QObject, public NotificationServer {
    Q_OBJECT

public:
    static constexpr int callTimeoutMs = 10000;

    // desktopEntry: the application's desktop file name without ".desktop".
    FreedesktopNotifications(QDBusConnection connection, QString appName, QString desktopEntry,
                             QObject* parent = nullptr);

    void probe(std::function<void(std::expected<void, QString>)> done) override;
    void notify(const Request& request,
                std::function<void(std::expected<uint32_t, QString>)> done) override;
    void setHandlers(Handlers handlers) override { handlers_ = std::move(handlers); }

    // What the last probe read; empty before.
    const QStringList& capabilities() const { return capabilities_; }

    // The program and arguments that open the desktop's notification settings for the
    // application, chosen from XDG_CURRENT_DESKTOP; none where the desktop has no such
    // page or its tool is missing.
    static std::optional<QStringList>
    settingsCommand(const QString& currentDesktop, const QString& desktopEntry,
                    const std::function<QString(const QString&)>& findExecutable);

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onActivationToken(uint id, const QString& token);
    void onClosed(uint id, uint reason);

private:
    void call(const QString& method, const QVariantList& arguments,
              std::function<void(const QDBusMessage& reply)> done);

    QDBusConnection connection_;
    QString appName_;
    QString desktopEntry_;
    QStringList capabilities_;
    Handlers handlers_;
};

} // namespace kestle
