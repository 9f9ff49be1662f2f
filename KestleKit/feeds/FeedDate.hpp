#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace kestle {

// Reads an RSS date of the fixed form "EEE, dd MMM yyyy HH:mm:ss Z", for example
// "Tue, 03 Dec 2024 10:00:00 +0000": English names whatever the locale, a day of one
// or two digits, a numeric zone offset. Anything else, or an impossible date, gives
// nothing.
std::optional<std::chrono::sys_seconds> parseFeedDate(std::string_view text);

} // namespace kestle
