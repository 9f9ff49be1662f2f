#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "apps/AppEntry.hpp"

namespace kestle {

// A notification that is due after a check.
struct Alert {
    enum class Kind {
        update,  // an installed app has a build not announced before
        released // a watched coming app is now released
    };
    Kind kind;
    AppEntry entry;

    static Alert update(AppEntry entry) { return {Kind::update, std::move(entry)}; }
    static Alert released(AppEntry entry) { return {Kind::released, std::move(entry)}; }

    friend bool operator==(const Alert&, const Alert&) = default;
};

// Remembers across launches which update builds were already announced, which builds
// the user went back from, and which coming apps the user wants to hear about.
struct AlertLedger {
    std::map<std::string, std::string> seenBuilds;    // app id to the last build announced
    std::map<std::string, std::string> skippedBuilds; // app id to the build gone back from
    std::set<std::string> watching;                   // app ids

    bool isWatching(std::string_view id) const { return watching.contains(std::string(id)); }
    void watch(const std::string& id, bool on);

    // A build the user went back from is never announced again; a later one is.
    void skip(const std::string& id, const std::string& build) { skippedBuilds[id] = build; }

    // The alerts due for these entries, in entry order; records what it answered.
    // With notifiesUpdates false, new builds are marked seen without an alert.
    std::vector<Alert> alerts(const std::vector<AppEntry>& entries, bool notifiesUpdates);

    // The stored form: {"seenBuilds": {id: build}, "skippedBuilds": {id: build},
    // "watching": [id]}.
    std::string encoded() const;
    // Nothing when the bytes are not that form (skippedBuilds may be absent, from
    // earlier versions), or are more than the preferences that keep them can hold.
    static std::optional<AlertLedger> decode(std::string_view bytes);

    friend bool operator==(const AlertLedger&, const AlertLedger&) = default;
};

} // namespace kestle
