#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/AppEntry.hpp"
#include "updates/UpdateNotice.hpp"
#include "updates/UpdateScope.hpp"
#include "updates/UpdateSession.hpp"
#include "updates/UpdateState.hpp"

namespace kestle {

// Runs update, install and go-back jobs one at a time, in the order asked for, and keeps the
// state of every app's job plus a notice about the last job that ended.
//
// Single-threaded: every call, and every call of a session's handlers, happens on the
// main thread. Callbacks (onEnd, observers) may call back into the queue, but must not
// destroy it. Observers are told once the outermost call into the queue returns.
class UpdateQueue {
public:
    // Must return a session; the queue holds the only strong reference to it.
    using MakeSession =
        std::function<std::unique_ptr<UpdateSession>(const AppEntry&, JobKind, UpdateHandlers)>;
    // Told of every job that ends, after the queue has updated its own state.
    using OnEnd = std::function<void(const AppEntry&, const UpdateOutcome&)>;

    enum class Change { states, kinds, notice };
    using Observer = std::function<void(Change)>;

    UpdateQueue(UpdateScope scope, MakeSession makeSession, OnEnd onEnd = {});
    // Releases a running session without canceling it; its handlers then do nothing.
    ~UpdateQueue();
    UpdateQueue(const UpdateQueue&) = delete;
    UpdateQueue& operator=(const UpdateQueue&) = delete;

    void setOnEnd(OnEnd onEnd);
    // Returns a token for unobserve.
    int observe(Observer observer);
    void unobserve(int token);

    std::optional<UpdateState> state(const std::string& id) const;
    std::optional<JobKind> kind(const std::string& id) const;
    const std::map<std::string, UpdateState>& states() const { return states_; }
    const std::map<std::string, JobKind>& kinds() const { return kinds_; }
    const std::optional<UpdateNotice>& notice() const { return notice_; }
    bool isBusy() const;
    bool isUpdating() const;
    std::optional<std::string> currentID() const;

    // Each ignores an app whose job is already queued or running.
    void update(const AppEntry& entry);  // only an installed app
    void install(const AppEntry& entry); // only a released app, not installed, with a download
    // Back to the copy an update replaced, which has that version; only an installed app.
    void goBack(const AppEntry& entry, std::string version);
    void updateAll(const std::vector<AppEntry>& entries); // those with an update available
    // Stops a job that can still stop, takes a queued one out, dismisses an ended one.
    void cancel(const std::string& id);
    // Drops ended states whose app no longer has the status the job was for.
    void forgetEnded(const std::vector<AppEntry>& keeping);
    void retryQuit(const std::string& id);
    void dismissNotice(int64_t id);

private:
    class Call;
    struct Job {
        AppEntry entry;
        JobKind kind;
        std::string version; // for goBack: the one going back to
    };
    struct Current {
        AppEntry entry;
        JobKind kind;
        std::string version;
        std::unique_ptr<UpdateSession> session;
        int64_t serial;
    };
    struct Ended {
        int64_t serial;
        std::unique_ptr<UpdateSession> session;
    };

    void enqueue(const AppEntry& entry, JobKind kind, std::string version = {});
    void startNext();
    UpdateHandlers handlers(int64_t serial);
    void handleStep(int64_t serial, const UpdateStep& step);
    void handleEnd(int64_t serial, const UpdateOutcome& outcome);
    void finish(const AppEntry& entry, JobKind kind, const UpdateOutcome& outcome,
                const std::string& version = {});
    void postNotice(const AppEntry& entry, UpdateNotice::Kind kind, std::string text);

    void setState(const std::string& id, const UpdateState& state);
    void setKind(const std::string& id, JobKind kind);
    void setNotice(std::optional<UpdateNotice> notice);
    void forget(std::string id);
    void tellObservers();
    void releaseEnded(int64_t keeping);

    UpdateScope scope_;
    MakeSession makeSession_;
    OnEnd onEnd_;

    std::map<std::string, UpdateState> states_;
    std::map<std::string, JobKind> kinds_;
    std::optional<UpdateNotice> notice_;

    std::deque<Job> waiting_;
    std::optional<Current> current_;
    std::vector<Ended> ended_; // kept until no code of theirs can be on the stack
    int64_t serial_ = 0;       // job serials and notice ids; only ever incremented

    std::map<int, Observer> observers_;
    int nextToken_ = 1;
    bool statesChanged_ = false;
    bool kindsChanged_ = false;
    bool noticeChanged_ = false;

    int depth_ = 0; // nesting of calls into the queue, handlers included
    bool startingNext_ = false;
    // Shared with the handlers, which hold it weakly; cleared first on release.
    std::shared_ptr<UpdateQueue*> alive_;
};

} // namespace kestle
