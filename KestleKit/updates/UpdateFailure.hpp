#pragma once

#include <cstdint>
#include <string>

#include "updates/PlatformError.hpp"

namespace kestle {

// Why a job failed, in classes a user can act on.
struct UpdateFailure {
    enum class Kind {
        other,             // code: an error code, -1 for a lost download, 0 unanswered
        connection,        // the network failed
        signature,         // a signature or code-signing check refused the update
        noPermission,      // the account may not write where the update goes
        notWritable,       // the destination folder cannot be written
        alreadyThere,      // an app is already at the destination
        damaged,           // the download is not what it should be
        informationOnly,   // the update cannot be installed by this program
        outsideTestFolder, // the app or its folder lies outside the allowed folders
        appMissing         // the installed app is no longer where it was found
    };
    Kind kind = Kind::other;
    int64_t code = 0; // for other

    static UpdateFailure other(int64_t code) { return {Kind::other, code}; }
    static constexpr UpdateFailure of(Kind kind) { return {kind, 0}; }

    // Classifies an error: a URL-loading error anywhere in its first eight causes is
    // a connection failure; otherwise the update framework's own codes are read.
    static UpdateFailure from(const PlatformError& error);

    friend bool operator==(const UpdateFailure&, const UpdateFailure&) = default;
};

std::string describe(const UpdateFailure& failure);

} // namespace kestle
