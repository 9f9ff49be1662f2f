#include "model/KestleModel.hpp"

#include <algorithm>

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QThreadPool>

#include "Logging.hpp"
#include "support/TextTrim.hpp"

namespace kestle::app {

namespace {

// Runs work on a worker thread and then apply with its result on the main thread,
// unless the model is gone by then. Work that throws (out of memory on a hostile size,
// a fake that fails) gives fallback instead of ending the process.
template <typename Result>
void offMainThread(KestleModel* model, std::function<Result()> work,
                   std::function<void(Result)> apply, Result fallback) {
    QPointer<KestleModel> guard(model);
    QThreadPool::globalInstance()->start([guard, work = std::move(work), apply = std::move(apply),
                                          fallback = std::move(fallback)]() mutable {
        std::shared_ptr<Result> result;
        try {
            result = std::make_shared<Result>(work());
        } catch (...) {
            result = std::make_shared<Result>(std::move(fallback));
        }
        // Posted to the application object, which outlives the model; the guard is read
        // on the main thread only.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, result, apply = std::move(apply)] {
                if (guard) {
                    apply(std::move(*result));
                }
            },
            Qt::QueuedConnection);
    });
}

const char* statusName(AppEntry::Status status) {
    switch (status) {
    case AppEntry::Status::notInstalled:
        return "notInstalled";
    case AppEntry::Status::installed:
        return "installed";
    case AppEntry::Status::updateAvailable:
        return "updateAvailable";
    case AppEntry::Status::coming:
        return "coming";
    }
    return "notInstalled";
}

void callIfSet(const std::function<void()>& done) {
    if (done) {
        done();
    }
}

} // namespace

const char* logName(CheckReason reason) {
    switch (reason) {
    case CheckReason::user:
        return "user";
    case CheckReason::window:
        return "window";
    case CheckReason::background:
        return "background";
    }
    return "user";
}

KestleModel::KestleModel(Setup setup, QObject* parent)
    : QObject(parent), setup_(std::move(setup)), language_(preferredLanguage()) {
    if (setup_.defaults) {
        layout_ = setup_.defaults->string("layout") == std::optional<std::string>("table")
                      ? ListLayout::table
                      : ListLayout::grid;
        lastCheck_ = setup_.defaults->date("lastCheck");
    }
    termsAccepted_ = setup_.termsAccepted;
    if (setup_.ledgerDefaults) {
        if (auto data = setup_.ledgerDefaults->data("alerts")) {
            std::string_view bytes(reinterpret_cast<const char*>(data->data()), data->size());
            ledger_ = AlertLedger::decode(bytes).value_or(AlertLedger{});
        }
    }
    queue_ = std::make_unique<UpdateQueue>(setup_.scope, setup_.makeSession);
    QPointer<KestleModel> self(this);
    queue_->setOnEnd([self](const AppEntry& entry, const UpdateOutcome& outcome) {
        if (!self) {
            return;
        }
        // The build gone back from stays offered in the window but is not announced again.
        if (outcome.kind == UpdateOutcome::Kind::wentBack && entry.installed) {
            self->ledger_.skip(entry.id(), entry.installed->build);
            emit self->ledgerChanged();
            self->saveLedger();
        }
        self->queueEnded();
    });
    queueSignals_ = std::make_unique<UpdateQueueSignals>(*queue_);
}

KestleModel::~KestleModel() {
    // A check still running ends at once; its late result finds the model gone.
    checkStop_.request_stop();
    queueSignals_.reset();
    queue_.reset();
}

void KestleModel::stopAll() {
    checkStop_.request_stop();
    std::vector<std::string> running;
    for (const auto& [id, state] : queue_->states()) {
        if (state.isRunning()) {
            running.push_back(id);
        }
    }
    for (const std::string& id : running) {
        queue_->cancel(id);
    }
}

bool KestleModel::hasAcceptedCurrentTerms(const PreferenceStore* defaults) {
    return defaults != nullptr && defaults->string("termsAcceptedVersion") ==
                                      std::optional<std::string>(currentTermsVersion);
}

std::string KestleModel::preferredLanguage() {
    for (const QString& language : QLocale::system().uiLanguages()) {
        const QString code = language.left(2).toLower();
        if (code == "en" || code == "it") {
            return code.toStdString();
        }
    }
    return "en";
}

void KestleModel::check(CheckReason reason, std::function<void()> done) {
    if (!termsAccepted_) {
        qCInfo(lcCheck, "Check (%s) skipped: terms of use not accepted", logName(reason));
        callIfSet(done);
        return;
    }
    if (isChecking_) {
        callIfSet(done);
        return;
    }
    isChecking_ = true;
    lastAttempt_ = setup_.now();
    emit isCheckingChanged();
    emit lastAttemptChanged();
    std::function<CheckResult()> checker = [check = setup_.checker, stop = checkStop_.get_token()] {
        if (!check) {
            return CheckResult{std::nullopt, CheckFailure::invalid(), {}, {}, {}};
        }
        return check(stop);
    };
    offMainThread<CheckResult>(
        this, std::move(checker),
        [this, reason, done = std::move(done)](CheckResult result) {
            applyResult(reason, std::move(result), done);
        },
        CheckResult{std::nullopt, CheckFailure::invalid(), {}, {}, {}});
}

void KestleModel::applyResult(CheckReason reason, CheckResult result, std::function<void()> done) {
    const bool fresh = !result.catalogFailure;
    result_ = std::move(result);
    invalidateDerived();
    emit resultChanged();
    if (fresh) {
        lastCheck_ = setup_.now();
        if (setup_.defaults) {
            setup_.defaults->set("lastCheck", *lastCheck_);
        }
        emit lastCheckChanged();
    }
    refreshInstalled([this, reason, done = std::move(done)] {
        logOutcome(reason);
        if (result_ && result_->catalog) {
            postAlerts(reason);
        }
        isChecking_ = false;
        emit isCheckingChanged();
        emit checkFinished();
        callIfSet(done);
    });
}

void KestleModel::windowAppeared(std::function<void()> done) {
    if (lastAttempt_ && setup_.now() - *lastAttempt_ < checkWindow) {
        callIfSet(done);
        return;
    }
    check(CheckReason::window, std::move(done));
}

bool KestleModel::isCheckDue() const {
    return !lastCheck_ || setup_.now() - *lastCheck_ >= day;
}

void KestleModel::refreshInstalled(std::function<void()> done) {
    if (!result_ || !result_->catalog) {
        setEntries({});
        callIfSet(done);
        return;
    }
    std::set<std::string> bundleIDs;
    for (const CatalogApp& app : result_->catalog->apps) {
        bundleIDs.insert(app.bundleID);
    }
    using Found =
        std::pair<std::map<std::string, InstalledApp>, std::map<std::string, PreviousCopy>>;
    auto scan = setup_.scanInstalled;
    auto findPrevious = setup_.findPrevious;
    offMainThread<Found>(
        this,
        [scan, findPrevious, bundleIDs] {
            Found found;
            if (scan) {
                found.first = scan(bundleIDs);
            }
            if (findPrevious) {
                found.second = findPrevious(found.first);
            }
            return found;
        },
        [this, done = std::move(done)](Found found) {
            const bool copiesChanged =
                found.second.size() != previous_.size() ||
                !std::ranges::equal(found.second, previous_, [](const auto& a, const auto& b) {
                    return a.first == b.first && a.second.date == b.second.date;
                });
            previous_ = std::move(found.second);
            if (found.first != installed_ || copiesChanged) {
                installed_ = std::move(found.first);
                emit installedChanged();
            }
            if (result_ && result_->catalog) {
                std::set<std::string> failed;
                for (const auto& [id, failure] : result_->failedFeeds) {
                    failed.insert(id);
                }
                setEntries(AppEntry::entries(*result_->catalog, installed_, result_->latest,
                                             result_->earlier, failed));
            } else {
                setEntries({});
            }
            queue_->forgetEnded(entries_);
            callIfSet(done);
        },
        // A scan that fails changes nothing rather than showing every app as missing.
        Found{installed_, previous_});
}

std::optional<PreviousCopy> KestleModel::previous(const AppEntry& entry) const {
    if (!entry.installed) {
        return std::nullopt;
    }
    auto it = previous_.find(entry.app.bundleID);
    // The copy belongs to the build that replaced it, not to one put there by hand.
    if (it == previous_.end() || it->second.replacedBy != entry.installed->build ||
        it->second.installed.string() != entry.installed->url.path()) {
        return std::nullopt;
    }
    return it->second;
}

void KestleModel::setEntries(std::vector<AppEntry> entries) {
    if (entries == entries_) {
        return;
    }
    entries_ = std::move(entries);
    invalidateDerived();
    emit entriesChanged();
}

void KestleModel::logOutcome(CheckReason reason) const {
    const CheckResult empty;
    const CheckResult& result = result_ ? *result_ : empty;
    const std::string catalog =
        result.catalogFailure ? "failed (" + describe(*result.catalogFailure) + ")" : "ok";
    const long apps = result.catalog ? static_cast<long>(result.catalog->apps.size()) : 0;
    qCInfo(lcCheck, "Check (%s): catalog %s, %ld apps%s", logName(reason), catalog.c_str(), apps,
           setup_.isSample ? " (sample)" : "");
    for (const AppEntry& entry : entries_) {
        std::string installed = "none";
        if (entry.installed) {
            installed = entry.installed->version + " (" + entry.installed->build + ") at " +
                        entry.installed->url.path();
        }
        std::string latest = "none";
        if (entry.latest) {
            latest = entry.latest->version + " (" + entry.latest->build + ")";
        }
        std::string feed;
        if (auto failed = result.failedFeeds.find(entry.id()); failed != result.failedFeeds.end()) {
            feed = ", feed failed (" + describe(failed->second) + ")";
        }
        qCInfo(lcCheck, "%s: installed %s, latest %s, %s%s", entry.id().c_str(), installed.c_str(),
               latest.c_str(), statusName(entry.status()), feed.c_str());
    }
}

void KestleModel::postAlerts(CheckReason reason) {
    const bool notifies =
        reason != CheckReason::user && setup_.notifiesUpdates() && !setup_.isFrontmost();
    std::vector<Alert> alerts = ledger_.alerts(entries_, notifies);
    emit ledgerChanged();
    saveLedger();
    qCInfo(lcCheck, "Alerts after the %s check: %ld%s", logName(reason),
           static_cast<long>(alerts.size()), notifies ? "" : ", updates only marked seen");
    if (!alerts.empty()) {
        post(alerts);
    }
}

void KestleModel::queueEnded() {
    if (!queue_->isBusy()) {
        onQueueIdle();
    }
    refreshInstalled();
}

void KestleModel::recordTermsAcceptance() {
    if (setup_.defaults) {
        setup_.defaults->set("termsAcceptedVersion", std::string(currentTermsVersion));
        setup_.defaults->set("termsAcceptedAt", setup_.now());
    }
    qCInfo(lcApp, "Terms of use %s accepted", currentTermsVersion);
}

void KestleModel::acceptTerms() {
    if (termsAccepted_) {
        return;
    }
    recordTermsAcceptance();
    termsAccepted_ = true;
    emit termsAcceptedChanged();
    onTermsAccepted();
}

void KestleModel::setWatching(const AppEntry& entry, bool on) {
    ledger_.watch(entry.id(), on);
    emit ledgerChanged();
    saveLedger();
    qCInfo(lcActions, "Notify me %s: %s", entry.id().c_str(), on ? "on" : "off");
}

void KestleModel::saveLedger() {
    if (!setup_.ledgerDefaults) {
        return;
    }
    const std::string encoded = ledger_.encoded();
    setup_.ledgerDefaults->set("alerts", std::vector<uint8_t>(encoded.begin(), encoded.end()));
}

void KestleModel::showBanner(QString text, std::optional<QString> button, double seconds,
                             std::function<void()> action) {
    ++bannerSerial_;
    if (const auto& notice = queue_->notice()) {
        queue_->dismissNotice(notice->id);
    }
    banner_ = Banner{bannerSerial_, std::move(text), std::move(button), std::move(action), seconds};
    emit bannerChanged();
}

void KestleModel::dismissBanner(int64_t id) {
    if (banner_ && banner_->id == id) {
        banner_.reset();
        emit bannerChanged();
    }
}

void KestleModel::retry(const std::string& id) {
    auto found = entry(id);
    if (!found) {
        return;
    }
    if (queue_->kind(id) == JobKind::install) {
        if (!found->installed) {
            queue_->install(*found);
        } else {
            queue_->cancel(id);
        }
        return;
    }
    if (queue_->kind(id) == JobKind::goBack) {
        if (auto copy = previous(*found)) {
            queue_->goBack(*found, copy->version);
        } else {
            queue_->cancel(id);
        }
        return;
    }
    if (found->status() == AppEntry::Status::updateAvailable) {
        queue_->update(*found);
    } else {
        queue_->cancel(id);
    }
}

std::optional<AppEntry> KestleModel::entry(const std::string& id) const {
    auto it = std::ranges::find_if(entries_, [&](const AppEntry& e) { return e.id() == id; });
    return it == entries_.end() ? std::nullopt : std::optional(*it);
}

void KestleModel::invalidateDerived() {
    derived_ = {};
}

const std::vector<AppEntry>& KestleModel::visibleEntries() const {
    if (!derived_.visible) {
        const std::string text = query_.toStdString();
        const SearchQuery query(trimmedWhitespace(text));
        std::vector<AppEntry> visible;
        for (const AppEntry& entry : entries_) {
            if (includes(filter_, entry) && entry.matches(query, language_)) {
                visible.push_back(entry);
            }
        }
        derived_.visible = std::move(visible);
    }
    return *derived_.visible;
}

int KestleModel::count(AppFilter filter) const {
    if (!derived_.counts) {
        std::array<int, 4> counts{};
        for (const AppEntry& entry : entries_) {
            for (size_t i = 0; i < allAppFilters.size(); ++i) {
                counts[i] += includes(allAppFilters[i], entry) ? 1 : 0;
            }
        }
        derived_.counts = counts;
    }
    return (*derived_.counts)[static_cast<size_t>(filter)];
}

const std::vector<AppEntry>& KestleModel::updatableEntries() const {
    if (!derived_.updatable) {
        std::vector<AppEntry> updatable;
        std::ranges::copy_if(entries_, std::back_inserter(updatable), [](const AppEntry& entry) {
            return entry.status() == AppEntry::Status::updateAvailable;
        });
        derived_.updatable = std::move(updatable);
    }
    return *derived_.updatable;
}

std::vector<std::string> KestleModel::failedFeedNames() const {
    std::vector<std::string> names;
    if (!result_) {
        return names;
    }
    for (const AppEntry& entry : entries_) {
        if (result_->failedFeeds.contains(entry.id())) {
            names.push_back(entry.app.name);
        }
    }
    return names;
}

void KestleModel::setFilter(AppFilter filter) {
    if (filter == filter_) {
        return;
    }
    filter_ = filter;
    derived_.visible.reset();
    emit filterChanged();
    setDetail(std::nullopt);
}

void KestleModel::setQuery(const QString& query) {
    if (query == query_) {
        return;
    }
    query_ = query;
    derived_.visible.reset();
    emit queryChanged();
}

void KestleModel::setLayout(ListLayout layout) {
    if (setup_.defaults) {
        setup_.defaults->set("layout", std::string(layout == ListLayout::table ? "table" : "grid"));
    }
    if (layout != layout_) {
        layout_ = layout;
        emit layoutChanged();
    }
    setDetail(std::nullopt);
}

void KestleModel::setDetail(std::optional<std::string> id) {
    if (id == detail_) {
        return;
    }
    detail_ = std::move(id);
    emit detailChanged();
}

void KestleModel::requestSearch() {
    ++searchRequest_;
    emit searchRequestChanged();
}

} // namespace kestle::app
