#pragma once

#include <functional>

#include "updates/UpdateOutcome.hpp"
#include "updates/UpdateStep.hpp"

namespace kestle {

// What a job is for.
enum class JobKind {
    update,
    install,
    goBack // to the copy an update replaced
};

// How a session reports back; both are called on the main thread.
struct UpdateHandlers {
    std::function<void(const UpdateStep&)> step;
    std::function<void(const UpdateOutcome&)> end; // exactly once
};

// One running job: an install, an update or a go-back of one app.
class UpdateSession {
public:
    virtual ~UpdateSession() = default;
    // Begins the job; may report its end before returning.
    virtual void start() = 0;
    // Asks the job to stop; ignored where it cannot stop. The end is still reported.
    virtual void cancel() = 0;
    // Asks the app being updated to quit once more.
    virtual void retryQuit() = 0;
};

} // namespace kestle
