#include "updates/UpdateOutcome.hpp"

namespace kestle {

UpdateOutcome UpdateOutcome::endOfCycle(const std::optional<PlatformError>& error) {
    if (!error) {
        return canceled();
    }
    if (error->domain == PlatformError::updaterDomain) {
        if (error->code == 4007 || error->code == 4008) {
            return canceled();
        }
        if (error->code == 1001) {
            return noUpdate();
        }
    }
    return failed(UpdateFailure::from(*error));
}

std::string describe(const UpdateOutcome& outcome) {
    switch (outcome.kind) {
    case UpdateOutcome::Kind::failed:
        return "failed(" + describe(outcome.failure) + ")";
    case UpdateOutcome::Kind::updated:
        return "updated";
    case UpdateOutcome::Kind::installed:
        return "installed";
    case UpdateOutcome::Kind::canceled:
        return "canceled";
    case UpdateOutcome::Kind::handedToApp:
        return "handedToApp";
    case UpdateOutcome::Kind::noUpdate:
        return "noUpdate";
    case UpdateOutcome::Kind::wentBack:
        return "wentBack";
    }
    return "canceled";
}

} // namespace kestle
