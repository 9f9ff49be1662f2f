#pragma once

#include <optional>
#include <string>

#include "updates/PlatformError.hpp"
#include "updates/UpdateFailure.hpp"

namespace kestle {

// How a job ended.
struct UpdateOutcome {
    enum class Kind { failed, updated, installed, canceled, handedToApp, noUpdate, wentBack };
    Kind kind = Kind::canceled;
    UpdateFailure failure; // for failed

    static UpdateOutcome failed(UpdateFailure failure) { return {Kind::failed, failure}; }
    static UpdateOutcome updated() { return {Kind::updated, {}}; }
    static UpdateOutcome installed() { return {Kind::installed, {}}; }
    static UpdateOutcome canceled() { return {Kind::canceled, {}}; }
    static UpdateOutcome handedToApp() { return {Kind::handedToApp, {}}; }
    static UpdateOutcome noUpdate() { return {Kind::noUpdate, {}}; }
    static UpdateOutcome wentBack() { return {Kind::wentBack, {}}; }

    // The outcome of an update cycle that ended with this error (or none) when the
    // session recorded nothing better: no error means the cycle was called off.
    static UpdateOutcome endOfCycle(const std::optional<PlatformError>& error);

    friend bool operator==(const UpdateOutcome& a, const UpdateOutcome& b) {
        return a.kind == b.kind && (a.kind != Kind::failed || a.failure == b.failure);
    }
};

std::string describe(const UpdateOutcome& outcome);

} // namespace kestle
