#pragma once

#include "updates/UpdateFailure.hpp"
#include "updates/UpdateStep.hpp"

namespace kestle {

// What the views show for one app's job.
struct UpdateState {
    enum class Kind { active, failed, queued, handedToApp };
    Kind kind = Kind::queued;
    UpdateStep step;       // for active
    UpdateFailure failure; // for failed

    static UpdateState active(UpdateStep step) { return {Kind::active, step, {}}; }
    static UpdateState failed(UpdateFailure failure) { return {Kind::failed, {}, failure}; }
    static UpdateState queued() { return {Kind::queued, {}, {}}; }
    static UpdateState handedToApp() { return {Kind::handedToApp, {}, {}}; }

    bool isRunning() const { return kind == Kind::active || kind == Kind::queued; }
    // For ended and queued states, canceling dismisses them or takes them out.
    bool canCancel() const { return kind != Kind::active || step.canCancel(); }

    friend bool operator==(const UpdateState& a, const UpdateState& b) {
        return a.kind == b.kind && (a.kind != Kind::active || a.step == b.step) &&
               (a.kind != Kind::failed || a.failure == b.failure);
    }
};

} // namespace kestle
