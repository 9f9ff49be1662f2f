#include "platform/FreedesktopNotifications.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

namespace kestle {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

std::expected<void, QString> failure(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ErrorMessage) {
        return std::unexpected(reply.errorName() + QStringLiteral(": ") + reply.errorMessage());
    }
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return std::unexpected(QStringLiteral("no reply"));
    }
    return {};
}

} // namespace

FreedesktopNotifications::FreedesktopNotifications(QDBusConnection connection, QString appName,
                                                   QString desktopEntry, QObject* parent)
    : QObject(parent), connection_(std::move(connection)), appName_(std::move(appName)),
      desktopEntry_(std::move(desktopEntry)) {
    if (!connection_.isConnected()) {
        return;
    }
    connection_.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                        SLOT(onActionInvoked(uint, QString)));
    connection_.connect(service, path, interface, QStringLiteral("ActivationToken"), this,
                        SLOT(onActivationToken(uint, QString)));
    connection_.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                        SLOT(onClosed(uint, uint)));
    // Another server may take over the name (the desktop restarted its own): what the
    // next notification offers follows the new one.
    auto* watcher = new QDBusServiceWatcher(service, connection_,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                capabilities_.clear();
                if (!owner.isEmpty()) {
                    probe([](std::expected<void, QString>) {});
                }
            });
}

void FreedesktopNotifications::call(const QString& method, const QVariantList& arguments,
                                    std::function<void(const QDBusMessage& reply)> done) {
    if (!connection_.isConnected()) {
        QTimer::singleShot(0, this, [done = std::move(done)] {
            done(
                QDBusMessage::createError(QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
                                          QStringLiteral("no session bus")));
        });
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    auto* watcher =
        new QDBusPendingCallWatcher(connection_.asyncCall(message, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [done = std::move(done)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                done(finished->reply());
            });
}

void FreedesktopNotifications::probe(std::function<void(std::expected<void, QString>)> done) {
    call(QStringLiteral("GetCapabilities"), {},
         [this, done = std::move(done)](const QDBusMessage& reply) {
             if (auto failed = failure(reply); !failed) {
                 done(failed);
                 return;
             }
             capabilities_ = reply.arguments().value(0).toStringList();
             done({});
         });
}

void FreedesktopNotifications::notify(const Request& request,
                                      std::function<void(std::expected<uint32_t, QString>)> done) {
    QStringList actions;
    if (capabilities_.contains(QStringLiteral("actions"))) {
        for (const Action& action : request.actions) {
            actions << action.key << action.label;
        }
    }
    // Servers without markup show tags as typed, so only servers with it get escapes.
    const QString body = capabilities_.contains(QStringLiteral("body-markup"))
                             ? request.body.toHtmlEscaped()
                             : request.body;
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), desktopEntry_);
    // A byte: servers that read it typed ignore an integer.
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(1));
    if (!request.imagePath.isEmpty()) {
        hints.insert(QStringLiteral("image-path"),
                     QUrl::fromLocalFile(request.imagePath).toString());
    }
    const QVariantList arguments{appName_,  QVariant::fromValue<uint>(request.replaces),
                                 QString(), request.title,
                                 body,      actions,
                                 hints,     -1};
    call(QStringLiteral("Notify"), arguments, [done = std::move(done)](const QDBusMessage& reply) {
        if (auto failed = failure(reply); !failed) {
            done(std::unexpected(failed.error()));
            return;
        }
        done(reply.arguments().value(0).toUInt());
    });
}

void FreedesktopNotifications::onActionInvoked(uint id, const QString& action) {
    if (handlers_.actionInvoked) {
        handlers_.actionInvoked(id, action);
    }
}

void FreedesktopNotifications::onActivationToken(uint id, const QString& token) {
    if (handlers_.activationToken) {
        handlers_.activationToken(id, token);
    }
}

void FreedesktopNotifications::onClosed(uint id, uint) {
    if (handlers_.closed) {
        handlers_.closed(id);
    }
}

std::optional<QStringList> FreedesktopNotifications::settingsCommand(
    const QString& currentDesktop, const QString& desktopEntry,
    const std::function<QString(const QString&)>& findExecutable) {
    const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive)) {
        const QString program = findExecutable(QStringLiteral("gnome-control-center"));
        if (!program.isEmpty()) {
            return QStringList{program, QStringLiteral("notifications")};
        }
    }
    if (desktops.contains(QStringLiteral("KDE"), Qt::CaseInsensitive)) {
        for (const char* name : {"kcmshell6", "kcmshell5"}) {
            const QString program = findExecutable(QString::fromLatin1(name));
            if (!program.isEmpty()) {
                return QStringList{program, QStringLiteral("kcm_notifications"),
                                   QStringLiteral("--args"),
                                   QStringLiteral("--desktop-entry=") + desktopEntry};
            }
        }
    }
    return std::nullopt;
}

} // namespace kestle
