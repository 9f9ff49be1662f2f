#include "services/Notifier.hpp"

#include <filesystem>

#include <QDBusConnection>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include "Logging.hpp"
#include "model/KestleModel.hpp"
#include "platform/FreedesktopNotifications.hpp"
#include "services/WindowOpener.hpp"

namespace kestle::app {

namespace {

const char* category(Alert::Kind kind) {
    return kind == Alert::Kind::update ? "update" : "release";
}

// The app's icon, where the catalog names a file on this machine.
QString localIcon(const AppEntry& entry, const KestleModel* model) {
    if (model == nullptr || !model->setup().catalogURL) {
        return {};
    }
    const std::optional<Url> icon = entry.app.iconURL(*model->setup().catalogURL);
    std::error_code error;
    if (!icon || !icon->isFile() || !std::filesystem::is_regular_file(icon->path(), error)) {
        return {};
    }
    return QString::fromStdString(icon->path());
}

} // namespace

Notifier::Notifier(std::unique_ptr<NotificationServer> server,
                   std::optional<QStringList> settingsCommand, QObject* parent)
    : QObject(parent), server_(std::move(server)), settingsCommand_(std::move(settingsCommand)) {
    NotificationServer::Handlers handlers;
    handlers.actionInvoked = [this](uint32_t id, const QString& action) { clicked(id, action); };
    handlers.activationToken = [this](uint32_t id, const QString& token) {
        if (shown_.contains(id)) {
            tokens_[id] = token.toUtf8();
        }
    };
    handlers.closed = [this](uint32_t id) { closed(id); };
    server_->setHandlers(std::move(handlers));
}

Notifier::~Notifier() {
    server_->setHandlers({});
}

Notifier& Notifier::shared() {
    static Notifier* instance = [] {
        const QString entry = QGuiApplication::desktopFileName();
        auto server = std::make_unique<FreedesktopNotifications>(
            QDBusConnection::sessionBus(), QStringLiteral("VelmarKestle"), entry);
        return new Notifier(
            std::move(server),
            FreedesktopNotifications::settingsCommand(
                qEnvironmentVariable("XDG_CURRENT_DESKTOP"), entry,
                [](const QString& name) { return QStandardPaths::findExecutable(name); }),
            QCoreApplication::instance());
    }();
    return *instance;
}

void Notifier::attach(KestleModel& model, bool logsOnly) {
    model_ = &model;
    logsOnly_ = logsOnly;
    QPointer<Notifier> self(this);
    model.post = [self](const std::vector<Alert>& alerts) {
        QTimer::singleShot(0, self, [self, alerts] {
            if (self) {
                self->post(alerts);
            }
        });
    };
}

void Notifier::askPermissionIfNeeded(std::function<void(bool)> done) {
    if (logsOnly_ || permission_ == Permission::authorized) {
        done(true);
        return;
    }
    if (permission_ == Permission::denied) {
        done(false);
        return;
    }
    waiting_.push_back(std::move(done));
    if (permission_ == Permission::asking) {
        return;
    }
    permission_ = Permission::asking;
    QPointer<Notifier> self(this);
    server_->probe([self](std::expected<void, QString> answered) {
        if (!self) {
            return;
        }
        const bool granted = answered.has_value();
        if (!granted) {
            qCInfo(lcNotify, "No notification server: %s", qPrintable(answered.error()));
        }
        qCInfo(lcNotify, "Permission asked: %s", granted ? "granted" : "refused");
        self->permission_ = granted ? Permission::authorized : Permission::denied;
        for (auto& waiting : std::exchange(self->waiting_, {})) {
            waiting(granted);
        }
    });
}

void Notifier::notificationsDenied(std::function<void(bool)> done) {
    if (logsOnly_) {
        done(false);
        return;
    }
    // A refusal means no server answered; one may have started since, so ask again.
    if (permission_ == Permission::denied) {
        permission_ = Permission::notDetermined;
    }
    askPermissionIfNeeded([done = std::move(done)](bool allowed) { done(!allowed); });
}

void Notifier::post(std::vector<Alert> alerts, std::function<void()> done) {
    postNext(std::make_shared<std::vector<Alert>>(std::move(alerts)), 0, std::move(done));
}

void Notifier::postNext(std::shared_ptr<std::vector<Alert>> alerts, size_t index,
                        std::function<void()> done) {
    if (index >= alerts->size()) {
        if (done) {
            done();
        }
        return;
    }
    QPointer<Notifier> self(this);
    show((*alerts)[index], [self, alerts, index, done = std::move(done)]() mutable {
        if (self) {
            self->postNext(std::move(alerts), index + 1, std::move(done));
        }
    });
}

void Notifier::show(const Alert& alert, std::function<void()> next) {
    const AppEntry& entry = alert.entry;
    const QString name = QString::fromStdString(entry.app.name);
    const QString version =
        entry.latest ? QString::fromStdString(entry.latest->version) : QString();
    NotificationServer::Request request;
    if (alert.kind == Alert::Kind::update) {
        //: A notification's title: the app's name
        request.title = tr("There’s an Update for %1").arg(name);
        //: A notification's text: the new version
        request.body = tr("Version %1 is ready to install.").arg(version);
        request.actions = {{QStringLiteral("default"), tr("Show")},
                           {QStringLiteral("update"), tr("Update")}};
    } else {
        //: A notification's title: the app's name
        request.title = tr("%1 Is Out").arg(name);
        request.body = tr("It’s ready to install.");
        request.actions = {{QStringLiteral("default"), tr("Show")},
                           {QStringLiteral("install"), tr("Install")}};
    }
    const QString appId = QString::fromStdString(entry.id());
    const QString identifier = QString::fromLatin1(category(alert.kind)) + u'.' + appId;
    qCInfo(lcNotify, "Notification %s %s %s: %s", category(alert.kind), qPrintable(appId),
           qPrintable(version), qPrintable(request.title));
    if (logsOnly_) {
        next();
        return;
    }
    request.imagePath = localIcon(entry, model_);
    QPointer<Notifier> self(this);
    askPermissionIfNeeded([self, alert, appId, identifier, request,
                           next = std::move(next)](bool allowed) mutable {
        if (!self) {
            return;
        }
        if (!allowed) {
            qCInfo(lcNotify, "Notification %s %s not shown: not allowed", category(alert.kind),
                   qPrintable(appId));
            next();
            return;
        }
        if (auto known = self->ids_.find(identifier); known != self->ids_.end()) {
            request.replaces = known->second;
        }
        self->server_->notify(request, [self, appId, identifier, next = std::move(next)](
                                           std::expected<uint32_t, QString> shown) {
            if (!self) {
                return;
            }
            if (!shown) {
                qCWarning(lcNotify, "Notification %s failed: %s", qPrintable(appId),
                          qPrintable(shown.error()));
            } else if (*shown == 0) {
                // Some servers answer 0 for a notification they chose not to show.
                qCInfo(lcNotify, "Notification %s not shown by the server", qPrintable(identifier));
            } else {
                if (auto old = self->ids_.find(identifier);
                    old != self->ids_.end() && old->second != *shown) {
                    self->shown_.erase(old->second);
                    self->tokens_.erase(old->second);
                }
                self->ids_[identifier] = *shown;
                self->shown_[*shown] = Shown{identifier, appId};
            }
            next();
        });
    });
}

std::optional<uint32_t> Notifier::shownId(const QString& request) const {
    if (auto found = ids_.find(request); found != ids_.end()) {
        return found->second;
    }
    return std::nullopt;
}

void Notifier::closed(uint32_t id) {
    auto found = shown_.find(id);
    if (found == shown_.end()) {
        return;
    }
    ids_.erase(found->second.request);
    shown_.erase(found);
    tokens_.erase(id);
}

void Notifier::clicked(uint32_t id, const QString& action) {
    auto found = shown_.find(id);
    if (found == shown_.end()) {
        return;
    }
    const QString appId = found->second.appId;
    qCInfo(lcNotify, "Notification clicked: %s, %s", qPrintable(appId), qPrintable(action));
    if (!model_) {
        return;
    }
    // Wayland lets only a window holding the server's token take the focus; Qt reads
    // the variable when the window asks for it.
    if (auto token = tokens_.find(id); token != tokens_.end()) {
        qputenv("XDG_ACTIVATION_TOKEN", token->second);
        tokens_.erase(token);
    }
    WindowOpener::shared().open(QStringLiteral("main"), true);
    openEntry(appId, action, checkWaitPasses);
}

void Notifier::openEntry(const QString& appId, const QString& action, int passesLeft) {
    if (!model_) {
        return;
    }
    if (passesLeft > 0 && model_->isChecking()) {
        QTimer::singleShot(checkWaitStep, this, [this, appId, action, passesLeft] {
            openEntry(appId, action, passesLeft - 1);
        });
        return;
    }
    if (model_->entry(appId.toStdString())) {
        act(appId, action);
        return;
    }
    // A click that launched the application comes before its first check.
    QPointer<Notifier> self(this);
    model_->check(CheckReason::background, [self, appId, action] {
        if (self) {
            self->act(appId, action);
        }
    });
}

void Notifier::act(const QString& appId, const QString& action) {
    if (!model_) {
        return;
    }
    const std::optional<AppEntry> entry = model_->entry(appId.toStdString());
    if (!entry) {
        qCInfo(lcNotify, "Notification for %s: the app isn't in the catalog", qPrintable(appId));
        return;
    }
    model_->setDetail(entry->id());
    const AppEntry::Status status = entry->status();
    if (action == QStringLiteral("update") && status == AppEntry::Status::updateAvailable) {
        model_->queue().update(*entry);
    } else if (action == QStringLiteral("install") && status == AppEntry::Status::notInstalled) {
        model_->queue().install(*entry);
    }
}

void Notifier::openNotificationSettings() const {
    if (!settingsCommand_ || settingsCommand_->isEmpty()) {
        return;
    }
    const QString program = settingsCommand_->first();
    if (!QProcess::startDetached(program, settingsCommand_->mid(1))) {
        qCWarning(lcNotify, "Could not start %s", qPrintable(program));
    }
}

} // namespace kestle::app
