#pragma once

#include <atomic>
#include <expected>
#include <memory>
#include <optional>

#include <QDateTime>
#include <QTimer>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "model/KestleModel.hpp"
#include "platform/NotificationServer.hpp"
#include "services/LoginItem.hpp"
#include "support/PreferenceStore.hpp"
#include "views/settings/GeneralSettings.hpp"

namespace kestle::test {

// A model with stored preferences and a clock the test sets, in local time.
struct ClockedModel {
    std::shared_ptr<MemoryPreferences> defaults = std::make_shared<MemoryPreferences>();
    std::shared_ptr<std::atomic<int64_t>> ms = std::make_shared<std::atomic<int64_t>>(0);
    std::shared_ptr<std::atomic<int>> checks = std::make_shared<std::atomic<int>>(0);
    std::unique_ptr<app::KestleModel> model;

    explicit ClockedModel(QDateTime start = QDateTime(QDate(2026, 12, 9), QTime(12, 0))) {
        set(start);
        app::Setup setup;
        auto checks = this->checks;
        setup.checker = [checks](std::stop_token) {
            ++*checks;
            CheckResult result;
            result.catalog = Catalog{1, {ViewTestModel::catalogApp("notes", "Notes", true)}};
            result.latest = {{"notes", ViewTestModel::release("12", "1.2")}};
            return result;
        };
        setup.catalogURL = Url::parse("https://velmar.example/catalog.json");
        setup.scanInstalled = [](const std::set<std::string>&) {
            return std::map<std::string, InstalledApp>{};
        };
        auto ms = this->ms;
        setup.now = [ms] { return app::Clock::time_point(std::chrono::milliseconds(ms->load())); };
        setup.defaults = defaults;
        setup.scope = UpdateScope{{Url::fromPath("/Applications")}};
        setup.termsAccepted = true;
        model = std::make_unique<app::KestleModel>(std::move(setup));
    }

    void set(const QDateTime& time) { ms->store(time.toMSecsSinceEpoch()); }
    QDateTime now() const { return QDateTime::fromMSecsSinceEpoch(ms->load()); }
    void advance(std::chrono::milliseconds by) { ms->fetch_add(by.count()); }

    // One check, at the clock's time.
    bool check() {
        bool done = false;
        model->check(app::CheckReason::user, [&] { done = true; });
        return runUntil([&] { return done; });
    }
};

// The General section's services of an English run on an English system, with both
// translations, a login item that is off and a page for login items.
inline app::GeneralSettings::Services englishRun(std::shared_ptr<PreferenceStore> defaults) {
    app::GeneralSettings::Services services;
    services.defaults = std::move(defaults);
    services.available = {QStringLiteral("en"), QStringLiteral("it")};
    services.systemLanguages = {QStringLiteral("en-US")};
    services.launchLanguage = QStringLiteral("en");
    services.loginStatus = [] { return app::LoginItem::Status::notRegistered; };
    services.setOpenAtLogin = [](bool) { return std::expected<void, QString>(); };
    services.openLoginItems = [] {};
    return services;
}

// A notification server that answers, or not, as the test says; answers come later.
struct FakeNotificationServer : NotificationServer {
    std::shared_ptr<bool> answers = std::make_shared<bool>(false);

    void probe(std::function<void(std::expected<void, QString>)> done) override {
        QTimer::singleShot(0, [answers = answers, done = std::move(done)] {
            if (*answers) {
                done({});
            } else {
                done(std::unexpected(QStringLiteral("no server")));
            }
        });
    }
    void notify(const Request&,
                std::function<void(std::expected<uint32_t, QString>)> done) override {
        QTimer::singleShot(0, [done = std::move(done)] { done(0u); });
    }
    void setHandlers(Handlers) override {}
};

// The login item as the system reports it, and what a change does to it.
struct FakeLoginItem {
    std::shared_ptr<app::LoginItem::Status> status =
        std::make_shared<app::LoginItem::Status>(app::LoginItem::Status::notRegistered);
    // A change turns the item into this (enabled when none); an error fails it.
    std::shared_ptr<std::optional<app::LoginItem::Status>> onChange =
        std::make_shared<std::optional<app::LoginItem::Status>>();
    std::shared_ptr<std::optional<QString>> error = std::make_shared<std::optional<QString>>();

    std::function<app::LoginItem::Status()> reader() const {
        return [status = status] { return *status; };
    }
    std::function<std::expected<void, QString>(bool)> changer() const {
        return [status = status, onChange = onChange,
                error = error](bool on) -> std::expected<void, QString> {
            if (*error) {
                return std::unexpected(**error);
            }
            *status = !on ? app::LoginItem::Status::notRegistered
                          : onChange->value_or(app::LoginItem::Status::enabled);
            return {};
        };
    }
};

} // namespace kestle::test
