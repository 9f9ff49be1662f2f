#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "apps/AppEntry.hpp"

namespace kestle {

// The tabs over the list of apps, in tab order.
enum class AppFilter { all, installed, updates, notInstalled };

inline constexpr std::array<AppFilter, 4> allAppFilters = {
    AppFilter::all, AppFilter::installed, AppFilter::updates, AppFilter::notInstalled};

// The stored text of a filter ("all", "installed", "updates", "notInstalled").
std::string_view rawValue(AppFilter filter);
// Exactly those four texts, case-sensitive; nothing for anything else.
std::optional<AppFilter> appFilter(std::string_view rawValue);

bool includes(AppFilter filter, const AppEntry& entry);

} // namespace kestle
