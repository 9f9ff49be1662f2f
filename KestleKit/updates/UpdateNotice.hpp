#pragma once

#include <cstdint>
#include <string>

namespace kestle {

// A short-lived notice that a job has ended.
struct UpdateNotice {
    enum class Kind {
        updated,          // text: the new version
        canceled,         // text: the installed version that stays
        installed,        // text: the installed version
        noUpdate,         //
        downloadCanceled, //
        wentBack          // text: the version now installed again
    };
    int64_t id = 0; // from the queue's serial counter
    std::string appID;
    std::string name;
    Kind kind = Kind::noUpdate;
    std::string text; // a version: see the kinds

    friend bool operator==(const UpdateNotice&, const UpdateNotice&) = default;
};

} // namespace kestle
