#include "apps/AlertLedger.hpp"

#include "catalog/JsonDecoding.hpp"
#include "support/PropertyList.hpp"

namespace kestle {

void AlertLedger::watch(const std::string& id, bool on) {
    if (on) {
        watching.insert(id);
    } else {
        watching.erase(id);
    }
}

std::vector<Alert> AlertLedger::alerts(const std::vector<AppEntry>& entries, bool notifiesUpdates) {
    std::vector<Alert> out;
    for (const auto& entry : entries) {
        if (entry.app.status == CatalogApp::Status::released && watching.erase(entry.id()) > 0) {
            out.push_back(Alert::released(entry));
        }
        if (!entry.hasUpdate()) {
            continue;
        }
        if (auto skipped = skippedBuilds.find(entry.id());
            skipped != skippedBuilds.end() && skipped->second == entry.latest->build) {
            continue;
        }
        // Any different build counts as new, older or newer: only equality silences.
        auto seen = seenBuilds.find(entry.id());
        if (seen != seenBuilds.end() && seen->second == entry.latest->build) {
            continue;
        }
        seenBuilds[entry.id()] = entry.latest->build;
        if (notifiesUpdates) {
            out.push_back(Alert::update(entry));
        }
    }
    return out;
}

std::string AlertLedger::encoded() const {
    json::Value document = {
        {"seenBuilds", seenBuilds}, {"skippedBuilds", skippedBuilds}, {"watching", watching}};
    return document.dump(-1, ' ', false, json::Value::error_handler_t::replace);
}

std::optional<AlertLedger> AlertLedger::decode(std::string_view bytes) {
    if (bytes.size() > PropertyList::maxBytes) {
        return std::nullopt;
    }
    auto document = json::parse(bytes);
    if (!document || !document->is_object()) {
        return std::nullopt;
    }
    auto seen = document->find("seenBuilds");
    auto watched = document->find("watching");
    if (seen == document->end() || !seen->is_object() || watched == document->end() ||
        !watched->is_array()) {
        return std::nullopt;
    }
    auto skipped = document->find("skippedBuilds");
    if (skipped != document->end() && !skipped->is_object()) {
        return std::nullopt;
    }
    AlertLedger ledger;
    auto builds = [](const json::Value& object, std::map<std::string, std::string>& into) {
        for (auto& [id, build] : object.items()) {
            if (!build.is_string()) {
                return false;
            }
            into.emplace(id, build.get<std::string>());
        }
        return true;
    };
    if (!builds(*seen, ledger.seenBuilds) ||
        (skipped != document->end() && !builds(*skipped, ledger.skippedBuilds))) {
        return std::nullopt;
    }
    for (auto& id : *watched) {
        if (!id.is_string()) {
            return std::nullopt;
        }
        ledger.watching.insert(id.get<std::string>());
    }
    return ledger;
}

} // namespace kestle
