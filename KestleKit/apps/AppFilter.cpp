#include "apps/AppFilter.hpp"

namespace kestle {

std::string_view rawValue(AppFilter filter) {
    switch (filter) {
    case AppFilter::all:
        return "all";
    case AppFilter::installed:
        return "installed";
    case AppFilter::updates:
        return "updates";
    case AppFilter::notInstalled:
        return "notInstalled";
    }
    return "all";
}

std::optional<AppFilter> appFilter(std::string_view text) {
    for (auto filter : allAppFilters) {
        if (rawValue(filter) == text) {
            return filter;
        }
    }
    return std::nullopt;
}

bool includes(AppFilter filter, const AppEntry& entry) {
    switch (filter) {
    case AppFilter::all:
        return true;
    case AppFilter::installed:
        return entry.installed.has_value();
    case AppFilter::updates:
        return entry.hasUpdate();
    case AppFilter::notInstalled:
        return !entry.installed.has_value();
    }
    return false;
}

} // namespace kestle
