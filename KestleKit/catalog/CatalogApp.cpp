#include "catalog/CatalogApp.hpp"

namespace kestle {
namespace {

template <typename T>
std::unexpected<DecodingError> failure(const std::expected<T, DecodingError>& e) {
    return std::unexpected(e.error());
}

std::expected<std::optional<Url>, DecodingError>
optionalUrl(json::Value& object, std::string_view key, std::string_view path) {
    auto text = json::optionalString(object, key, path);
    if (!text) {
        return failure(text);
    }
    if (!*text) {
        return std::optional<Url>{};
    }
    auto url = Url::parse(**text);
    if (!url) {
        return std::unexpected(DecodingError{json::joinPath(path, key), "Invalid URL string."});
    }
    return std::optional<Url>(std::move(*url));
}

std::expected<LocalizedText, DecodingError> localized(json::Value& object, std::string_view key,
                                                      std::string_view path) {
    auto value = json::member(object, key, path);
    if (!value) {
        return failure(value);
    }
    return LocalizedText::decode(**value, json::joinPath(path, key));
}

} // namespace

std::string_view rawValue(CatalogApp::Status status) {
    return status == CatalogApp::Status::released ? "released" : "coming";
}

std::optional<CatalogApp::Status> catalogAppStatus(std::string_view rawValue) {
    if (rawValue == "released") {
        return CatalogApp::Status::released;
    }
    if (rawValue == "coming") {
        return CatalogApp::Status::coming;
    }
    return std::nullopt;
}

std::optional<Url> CatalogApp::iconURL(const Url& base) const {
    auto url = Url::parse(icon);
    if (!url) {
        return std::nullopt;
    }
    return url->resolved(base);
}

std::expected<CatalogApp, DecodingError> CatalogApp::decode(json::Value& value,
                                                            std::string_view path) {
    if (!value.is_object()) {
        return std::unexpected(DecodingError{std::string(path), "Expected to decode Dictionary"});
    }
    CatalogApp app;
    // Keys are read in a fixed order so that the first fault reported is stable.
    auto id = json::requiredString(value, "id", path);
    if (!id) {
        return failure(id);
    }
    auto bundleID = json::requiredString(value, "bundleID", path);
    if (!bundleID) {
        return failure(bundleID);
    }
    auto name = json::requiredString(value, "name", path);
    if (!name) {
        return failure(name);
    }
    auto tagline = localized(value, "tagline", path);
    if (!tagline) {
        return failure(tagline);
    }
    auto summary = localized(value, "description", path);
    if (!summary) {
        return failure(summary);
    }
    auto statusText = json::requiredString(value, "status", path);
    if (!statusText) {
        return failure(statusText);
    }
    auto status = catalogAppStatus(*statusText);
    if (!status) {
        return std::unexpected(
            DecodingError{json::joinPath(path, "status"),
                          "Cannot initialize Status from invalid String value " + *statusText});
    }
    auto site = optionalUrl(value, "site", path);
    if (!site) {
        return failure(site);
    }
    auto feed = optionalUrl(value, "feed", path);
    if (!feed) {
        return failure(feed);
    }
    auto icon = json::requiredString(value, "icon", path);
    if (!icon) {
        return failure(icon);
    }
    auto minimumSystem = json::requiredString(value, "minimumSystem", path);
    if (!minimumSystem) {
        return failure(minimumSystem);
    }
    auto hidden = json::optionalBool(value, "hidden", path);
    if (!hidden) {
        return failure(hidden);
    }
    auto manualRemoval = json::optionalBool(value, "manualRemoval", path);
    if (!manualRemoval) {
        return failure(manualRemoval);
    }
    return CatalogApp{std::move(*id),
                      std::move(*bundleID),
                      std::move(*name),
                      std::move(*tagline),
                      std::move(*summary),
                      *status,
                      std::move(*site),
                      std::move(*feed),
                      std::move(*icon),
                      std::move(*minimumSystem),
                      *hidden,
                      *manualRemoval};
}

} // namespace kestle
