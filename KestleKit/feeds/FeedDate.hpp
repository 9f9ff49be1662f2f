#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace kestle {

// Reads an RSS (mail) date such as "Tue, 03 Dec 2024 10:00:00 +0000": an optional day
// name and comma, a day of one or two digits, the month, a four-digit year, the time
// with seconds, and a numeric offset or one of UT, UTC, GMT, Z, EST, EDT, CST, CDT,
// MST, MDT, PST, PDT. Day and month names are English whatever the locale, abbreviated
// or written out ("Thurs", "June"), in any case. Anything else, or an impossible date,
// gives nothing.
std::optional<std::chrono::sys_seconds> parseFeedDate(std::string_view text);

} // namespace kestle
