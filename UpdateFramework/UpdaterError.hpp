#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "updates/PlatformError.hpp"

namespace kestle::framework {

// The codes of the updater's errors, domain "SUSparkleErrorDomain". The application
// classifies them (UpdateFailure::from): 2001 is a connection failure, 1, 2, 3001 and
// 3002 a refused signature, 4012 missing permission; 1001 ends a cycle as "no update"
// and 4007/4008 as canceled. An error caused by the network carries a URL-loading
// error as its underlying error.
struct UpdaterError {
    static constexpr int64_t noPublicKey = 1;             // "SUPublicEDKey" missing or not a key
    static constexpr int64_t insufficientSigning = 2;     // the item has no signature or length
    static constexpr int64_t invalidFeedURL = 4;          // "SUFeedURL" missing or not http(s)/file
    static constexpr int64_t invalidHostBundle = 6;       // no identifier or version in the bundle
    static constexpr int64_t appcastParse = 1000;         // the appcast is not a readable feed
    static constexpr int64_t noUpdate = 1001;             // nothing newer for this machine
    static constexpr int64_t appcast = 1002;              // the appcast could not be fetched
    static constexpr int64_t unarchiving = 3000;          // the image does not open or holds no app
    static constexpr int64_t download = 2001;             // the download failed
    static constexpr int64_t signature = 3001;            // EdDSA or code signature refused
    static constexpr int64_t validation = 3002;           // wrong length, identifier or team
    static constexpr int64_t fileCopy = 4000;             // the new copy could not be staged
    static constexpr int64_t installation = 4005;         // the bundles could not be swapped
    static constexpr int64_t installationCanceled = 4007; // the user canceled
    static constexpr int64_t installationAuthorizeLater = 4008; // left for later
    static constexpr int64_t noWritePermission = 4012; // the bundle's folder is not writable
    static constexpr int64_t alreadyInProgress = 5000; // a cycle is already running

    static PlatformError make(int64_t code, std::string description,
                              std::shared_ptr<const PlatformError> underlying = nullptr) {
        return {PlatformError::updaterDomain, code, std::move(description), std::move(underlying)};
    }
};

// "SUSparkleErrorDomain 2001: The download failed. (NSURLErrorDomain -1005)".
std::string errorText(const PlatformError& error);

} // namespace kestle::framework
