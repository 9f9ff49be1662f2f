#pragma once

#include <string_view>

namespace kestle {

// Three-way result of a comparison; the values match the platform's convention.
enum class ComparisonResult { ascending = -1, same = 0, descending = 1 };

// The one comparison of version texts used for every "which is newer" decision.
struct Version {
    // ascending when a is older than b, descending when a is newer.
    static ComparisonResult compare(std::string_view a, std::string_view b);
    static bool isNewer(std::string_view a, std::string_view than) {
        return compare(a, than) == ComparisonResult::descending;
    }
};

} // namespace kestle
