#include "updates/UpdateFailure.hpp"

namespace kestle {

UpdateFailure UpdateFailure::from(const PlatformError& error) {
    // The error and up to seven underlying errors below it.
    const PlatformError* link = &error;
    for (int depth = 0; link && depth < 8; ++depth, link = link->underlying.get()) {
        if (link->domain == PlatformError::urlLoadingDomain) {
            return of(Kind::connection);
        }
    }
    if (error.domain != PlatformError::updaterDomain) {
        return other(error.code);
    }
    switch (error.code) {
    case 2001:
        return of(Kind::connection);
    case 1:
    case 2:
    case 3001:
    case 3002:
        return of(Kind::signature);
    case 4012:
        return of(Kind::noPermission);
    default:
        return other(error.code);
    }
}

std::string describe(const UpdateFailure& failure) {
    switch (failure.kind) {
    case UpdateFailure::Kind::other:
        return "other(" + std::to_string(failure.code) + ")";
    case UpdateFailure::Kind::connection:
        return "connection";
    case UpdateFailure::Kind::signature:
        return "signature";
    case UpdateFailure::Kind::noPermission:
        return "noPermission";
    case UpdateFailure::Kind::notWritable:
        return "notWritable";
    case UpdateFailure::Kind::alreadyThere:
        return "alreadyThere";
    case UpdateFailure::Kind::damaged:
        return "damaged";
    case UpdateFailure::Kind::informationOnly:
        return "informationOnly";
    case UpdateFailure::Kind::outsideTestFolder:
        return "outsideTestFolder";
    case UpdateFailure::Kind::appMissing:
        return "appMissing";
    }
    return "other";
}

} // namespace kestle
