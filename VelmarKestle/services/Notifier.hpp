#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "apps/AlertLedger.hpp"
#include "platform/NotificationServer.hpp"

namespace kestle::app {

class KestleModel;

// Turns the ledger's alerts into desktop notifications and a click on one into the
// main window on the app's detail, queueing the update or install its button names.
// A server that answers counts as permission; none counts as refused. Main thread only.
class Notifier : public QObject {
    Q_OBJECT

public:
    // How long a click waits for a running check: passes × step.
    static constexpr int checkWaitPasses = 150;
    static constexpr std::chrono::milliseconds checkWaitStep{200};

    // settingsCommand: the program and arguments of the desktop's notification settings,
    // none where there is no such page.
    Notifier(std::unique_ptr<NotificationServer> server, std::optional<QStringList> settingsCommand,
             QObject* parent = nullptr);
    ~Notifier() override;

    // The application's one instance, on the session bus.
    static Notifier& shared();

    // Sets the model's post hook; logsOnly: alerts are only logged, nothing is asked.
    void attach(KestleModel& model, bool logsOnly);

    // done(whether notifications may be posted): asks the server once per run. Answers
    // at once when that is known.
    void askPermissionIfNeeded(std::function<void(bool)> done);
    // done(whether notifications are refused), for the settings; a refusal is asked
    // again, as a server may have started since.
    void notificationsDenied(std::function<void(bool)> done);
    // One alert after the other; done when the last one was handed over or logged.
    void post(std::vector<Alert> alerts, std::function<void()> done = {});

    bool canOpenNotificationSettings() const { return settingsCommand_.has_value(); }
    void openNotificationSettings() const;

    // The server's id of the notification shown for "⟨category⟩.⟨app id⟩".
    std::optional<uint32_t> shownId(const QString& request) const;

private:
    enum class Permission { notDetermined, asking, authorized, denied };
    struct Shown {
        QString request;
        QString appId;
    };

    void postNext(std::shared_ptr<std::vector<Alert>> alerts, size_t index,
                  std::function<void()> done);
    void show(const Alert& alert, std::function<void()> next);
    void clicked(uint32_t id, const QString& action);
    void closed(uint32_t id);
    void openEntry(const QString& appId, const QString& action, int passesLeft);
    void act(const QString& appId, const QString& action);

    std::unique_ptr<NotificationServer> server_;
    std::optional<QStringList> settingsCommand_;
    QPointer<KestleModel> model_;
    bool logsOnly_ = false;
    Permission permission_ = Permission::notDetermined;
    std::vector<std::function<void(bool)>> waiting_;
    std::map<uint32_t, Shown> shown_;
    std::map<QString, uint32_t> ids_;
    std::map<uint32_t, QByteArray> tokens_;
};

} // namespace kestle::app
