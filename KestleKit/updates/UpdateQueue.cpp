#include "updates/UpdateQueue.hpp"

#include <algorithm>
#include <iterator>
#include <utility>

namespace kestle {

// Marks one call into the queue, from outside or from a session's handler. Only when
// the outermost call returns are observers told and ended sessions released, so no
// callback runs in the middle of a change and no session is destroyed while one of its
// methods is still on the stack. A handler's own session is kept past its call, since
// the session's code that called it runs on afterwards.
class UpdateQueue::Call {
public:
    explicit Call(UpdateQueue& queue, int64_t caller = 0) : queue_(queue), caller_(caller) {
        ++queue_.depth_;
    }
    ~Call() {
        if (queue_.depth_ == 1) {
            queue_.tellObservers();
            queue_.releaseEnded(caller_);
        }
        --queue_.depth_;
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

private:
    UpdateQueue& queue_;
    int64_t caller_;
};

UpdateQueue::UpdateQueue(UpdateScope scope, MakeSession makeSession, OnEnd onEnd)
    : scope_(std::move(scope)), makeSession_(std::move(makeSession)), onEnd_(std::move(onEnd)),
      alive_(std::make_shared<UpdateQueue*>(this)) {}

UpdateQueue::~UpdateQueue() {
    // First, so that a session reporting from its destructor, or later, reaches nothing.
    alive_.reset();
}

void UpdateQueue::setOnEnd(OnEnd onEnd) {
    onEnd_ = std::move(onEnd);
}

int UpdateQueue::observe(Observer observer) {
    int token = nextToken_++;
    observers_.emplace(token, std::move(observer));
    return token;
}

void UpdateQueue::unobserve(int token) {
    observers_.erase(token);
}

std::optional<UpdateState> UpdateQueue::state(const std::string& id) const {
    auto it = states_.find(id);
    return it != states_.end() ? std::optional(it->second) : std::nullopt;
}

std::optional<JobKind> UpdateQueue::kind(const std::string& id) const {
    auto it = kinds_.find(id);
    return it != kinds_.end() ? std::optional(it->second) : std::nullopt;
}

bool UpdateQueue::isBusy() const {
    return std::ranges::any_of(states_, [](const auto& item) { return item.second.isRunning(); });
}

bool UpdateQueue::isUpdating() const {
    return std::ranges::any_of(states_, [this](const auto& item) {
        return item.second.isRunning() && kind(item.first) == JobKind::update;
    });
}

std::optional<std::string> UpdateQueue::currentID() const {
    return current_ ? std::optional(current_->entry.id()) : std::nullopt;
}

void UpdateQueue::update(const AppEntry& entry) {
    Call call(*this);
    if (entry.installed) {
        enqueue(entry, JobKind::update);
    }
}

void UpdateQueue::install(const AppEntry& entry) {
    Call call(*this);
    if (entry.installed || entry.app.status == CatalogApp::Status::coming || !entry.latest ||
        !entry.latest->download) {
        return;
    }
    enqueue(entry, JobKind::install);
}

void UpdateQueue::goBack(const AppEntry& entry, std::string version) {
    Call call(*this);
    if (entry.installed) {
        enqueue(entry, JobKind::goBack, std::move(version));
    }
}

void UpdateQueue::updateAll(const std::vector<AppEntry>& entries) {
    Call call(*this);
    // A copy: a job that ends at once calls onEnd, which may replace the caller's list.
    std::vector<AppEntry> chosen;
    std::ranges::copy_if(entries, std::back_inserter(chosen),
                         [](const AppEntry& entry) { return entry.hasUpdate(); });
    for (const auto& entry : chosen) {
        enqueue(entry, JobKind::update);
    }
}

void UpdateQueue::cancel(const std::string& id) {
    Call call(*this);
    auto it = states_.find(id);
    if (it == states_.end()) {
        return;
    }
    switch (it->second.kind) {
    case UpdateState::Kind::active:
        // The state stays until the session reports its end, which may happen inside
        // cancel(); past verifying the job can no longer stop and is left alone.
        if (it->second.step.canCancel() && current_ && current_->entry.id() == id) {
            current_->session->cancel();
        }
        break;
    case UpdateState::Kind::queued:
        std::erase_if(waiting_, [&](const Job& job) { return job.entry.id() == id; });
        forget(id);
        break;
    case UpdateState::Kind::failed:
    case UpdateState::Kind::handedToApp:
        forget(id);
        break;
    }
}

void UpdateQueue::forgetEnded(const std::vector<AppEntry>& keeping) {
    Call call(*this);
    std::map<std::string, AppEntry::Status> statuses;
    for (const auto& entry : keeping) {
        statuses.emplace(entry.id(), entry.status());
    }
    std::vector<std::string> gone;
    for (const auto& [id, state] : states_) {
        if (state.isRunning()) {
            continue;
        }
        // A failed job stays while the app still wants what the job was for.
        auto found = statuses.find(id);
        bool wanted = false;
        if (found != statuses.end()) {
            switch (kind(id).value_or(JobKind::update)) {
            case JobKind::install:
                wanted = found->second == AppEntry::Status::notInstalled;
                break;
            case JobKind::update:
                wanted = found->second == AppEntry::Status::updateAvailable;
                break;
            case JobKind::goBack:
                wanted = found->second == AppEntry::Status::installed ||
                         found->second == AppEntry::Status::updateAvailable;
                break;
            }
        }
        if (!wanted) {
            gone.push_back(id);
        }
    }
    for (auto& id : gone) {
        forget(std::move(id));
    }
}

void UpdateQueue::retryQuit(const std::string& id) {
    Call call(*this);
    if (current_ && current_->entry.id() == id &&
        state(id) == UpdateState::active(UpdateStep::waitingForQuit())) {
        current_->session->retryQuit();
    }
}

void UpdateQueue::dismissNotice(int64_t id) {
    Call call(*this);
    if (notice_ && notice_->id == id) {
        setNotice(std::nullopt);
    }
}

void UpdateQueue::enqueue(const AppEntry& entry, JobKind kind, std::string version) {
    if (auto it = states_.find(entry.id()); it != states_.end() && it->second.isRunning()) {
        return;
    }
    setState(entry.id(), UpdateState::queued());
    setKind(entry.id(), kind);
    waiting_.push_back({entry, kind, std::move(version)});
    startNext();
}

void UpdateQueue::startNext() {
    // Not nested: a job that ends inside start(), or one asked for from onEnd, is picked
    // up by the loop below, which keeps the stack flat however many jobs end at once.
    if (startingNext_) {
        return;
    }
    startingNext_ = true;
    while (!current_ && !waiting_.empty()) {
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        bool inScope = job.kind == JobKind::install
                           ? scope_.installFolder().has_value()
                           : job.entry.installed && scope_.allows(job.entry.installed->url);
        if (!inScope) {
            finish(
                job.entry, job.kind,
                UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::outsideTestFolder)));
            continue;
        }
        int64_t serial = ++serial_;
        std::unique_ptr<UpdateSession> session =
            makeSession_(job.entry, job.kind, handlers(serial));
        UpdateSession& started = *session;
        std::string id = job.entry.id();
        current_ = Current{std::move(job.entry), job.kind, std::move(job.version),
                           std::move(session), serial};
        setState(id, UpdateState::active(UpdateStep::checking()));
        setKind(id, job.kind);
        // Current before it starts: the session may report steps, even its end, from
        // inside start(). Should it end there, it waits among the ended sessions.
        started.start();
    }
    startingNext_ = false;
}

UpdateHandlers UpdateQueue::handlers(int64_t serial) {
    std::weak_ptr<UpdateQueue*> alive = alive_;
    return UpdateHandlers{
        [alive, serial](const UpdateStep& step) {
            if (auto queue = alive.lock()) {
                (*queue)->handleStep(serial, step);
            }
        },
        [alive, serial](const UpdateOutcome& outcome) {
            if (auto queue = alive.lock()) {
                (*queue)->handleEnd(serial, outcome);
            }
        },
    };
}

void UpdateQueue::handleStep(int64_t serial, const UpdateStep& step) {
    Call call(*this, serial);
    if (current_ && current_->serial == serial) {
        setState(current_->entry.id(), UpdateState::active(step));
    }
}

void UpdateQueue::handleEnd(int64_t serial, const UpdateOutcome& outcome) {
    Call call(*this, serial);
    // A session that was replaced, or that reports a second end, is ignored.
    if (!current_ || current_->serial != serial) {
        return;
    }
    Current ended = std::move(*current_);
    current_.reset();
    ended_.push_back({serial, std::move(ended.session)});
    finish(ended.entry, ended.kind, outcome, ended.version);
    startNext();
}

void UpdateQueue::finish(const AppEntry& entry, JobKind kind, const UpdateOutcome& outcome,
                         const std::string& version) {
    const std::string& id = entry.id();
    std::string latest = entry.latest ? entry.latest->version : std::string();
    switch (outcome.kind) {
    case UpdateOutcome::Kind::failed:
        setState(id, UpdateState::failed(outcome.failure));
        setKind(id, kind);
        break;
    case UpdateOutcome::Kind::handedToApp:
        setState(id, UpdateState::handedToApp());
        setKind(id, kind);
        break;
    case UpdateOutcome::Kind::updated:
        forget(id);
        postNotice(entry, UpdateNotice::Kind::updated, latest);
        break;
    case UpdateOutcome::Kind::installed:
        forget(id);
        postNotice(entry, UpdateNotice::Kind::installed, latest);
        break;
    case UpdateOutcome::Kind::canceled:
        forget(id);
        if (kind == JobKind::install) {
            postNotice(entry, UpdateNotice::Kind::downloadCanceled, {});
        } else {
            postNotice(entry, UpdateNotice::Kind::canceled,
                       entry.installed ? entry.installed->version : std::string());
        }
        break;
    case UpdateOutcome::Kind::noUpdate:
        forget(id);
        postNotice(entry, UpdateNotice::Kind::noUpdate, {});
        break;
    case UpdateOutcome::Kind::wentBack:
        forget(id);
        postNotice(entry, UpdateNotice::Kind::wentBack, version);
        break;
    }
    if (onEnd_) {
        OnEnd onEnd = onEnd_; // it may replace itself through setOnEnd
        onEnd(entry, outcome);
    }
}

void UpdateQueue::postNotice(const AppEntry& entry, UpdateNotice::Kind kind, std::string text) {
    // Above every serial issued so far, so dismissing an older notice never hits it.
    setNotice(UpdateNotice{++serial_, entry.id(), entry.app.name, kind, std::move(text)});
}

void UpdateQueue::setState(const std::string& id, const UpdateState& state) {
    auto [it, inserted] = states_.try_emplace(id, state);
    if (!inserted) {
        if (it->second == state) {
            return;
        }
        it->second = state;
    }
    statesChanged_ = true;
}

void UpdateQueue::setKind(const std::string& id, JobKind kind) {
    auto [it, inserted] = kinds_.try_emplace(id, kind);
    if (!inserted) {
        if (it->second == kind) {
            return;
        }
        it->second = kind;
    }
    kindsChanged_ = true;
}

void UpdateQueue::setNotice(std::optional<UpdateNotice> notice) {
    if (notice_ == notice) {
        return;
    }
    notice_ = std::move(notice);
    noticeChanged_ = true;
}

// By value: the caller's text may be a key of the maps it is erased from.
void UpdateQueue::forget(std::string id) {
    statesChanged_ |= states_.erase(id) > 0;
    kindsChanged_ |= kinds_.erase(id) > 0;
}

void UpdateQueue::tellObservers() {
    // Changes an observer makes raise the flags again and are told in a later round.
    for (;;) {
        Change change;
        if (std::exchange(statesChanged_, false)) {
            change = Change::states;
        } else if (std::exchange(kindsChanged_, false)) {
            change = Change::kinds;
        } else if (std::exchange(noticeChanged_, false)) {
            change = Change::notice;
        } else {
            return;
        }
        std::vector<int> tokens;
        for (const auto& [token, observer] : observers_) {
            tokens.push_back(token);
        }
        for (int token : tokens) {
            auto it = observers_.find(token);
            if (it == observers_.end()) {
                continue; // unobserved by an earlier observer
            }
            Observer observer = it->second; // it may unobserve itself
            observer(change);
        }
    }
}

void UpdateQueue::releaseEnded(int64_t keeping) {
    auto released = std::ranges::stable_partition(
        ended_, [keeping](const Ended& ended) { return ended.serial == keeping; });
    // Moved out first: a session's destructor may still call its handlers.
    std::vector<Ended> doomed(std::make_move_iterator(released.begin()),
                              std::make_move_iterator(released.end()));
    ended_.erase(released.begin(), released.end());
}

} // namespace kestle
