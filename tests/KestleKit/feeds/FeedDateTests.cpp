#include "feeds/FeedDate.hpp"

#include <gtest/gtest.h>

using namespace kestle;
using namespace std::chrono;

TEST(FeedDate, AcceptedShapesGiveTheirInstant) {
    const sys_seconds tenUtc = sys_days{2024y / December / 3} + 10h;
    const std::pair<const char*, sys_seconds> cases[] = {
        {"Tue, 03 Dec 2024 10:00:00 +0000", tenUtc},
        {"Tue, 3 Dec 2024 10:00:00 +0530", tenUtc - 5h - 30min},
        {"Wed, 31 Dec 2025 23:30:00 -0100", sys_days{2026y / January / 1} + 30min},
        // The day name is checked for spelling only: 29 February 2024 was a Thursday.
        {"Fri, 29 Feb 2024 00:00:00 +0000", sys_days{2024y / February / 29}},
        {"tue, 03 dec 2024 10:00:00 gmt", tenUtc},
        // Zone names.
        {"Tue, 03 Dec 2024 10:00:00 GMT", tenUtc},
        {"Tue, 03 Dec 2024 10:00:00 UTC", tenUtc},
        {"Tue, 03 Dec 2024 10:00:00 UT", tenUtc},
        {"Tue, 03 Dec 2024 10:00:00 Z", tenUtc},
        {"Tue, 03 Dec 2024 10:00:00 EST", tenUtc + 5h},
        {"Tue, 03 Dec 2024 10:00:00 EDT", tenUtc + 4h},
        {"Tue, 03 Dec 2024 10:00:00 CST", tenUtc + 6h},
        {"Tue, 03 Dec 2024 10:00:00 CDT", tenUtc + 5h},
        {"Tue, 03 Dec 2024 10:00:00 MST", tenUtc + 7h},
        {"Tue, 03 Dec 2024 10:00:00 MDT", tenUtc + 6h},
        {"Tue, 03 Dec 2024 10:00:00 PST", tenUtc + 8h},
        {"Tue, 03 Dec 2024 10:00:00 PDT", tenUtc + 7h},
        // No day name, one-digit day, longer names.
        {"03 Dec 2024 10:00:00 +0000", tenUtc},
        {"3 Dec 2024 10:00:00 GMT", tenUtc},
        {"Tues, 3 December 2024 10:00:00 +0000", tenUtc},
        {"Thurs, 05 June 2025 08:15:30 EDT", sys_days{2025y / June / 5} + 12h + 15min + 30s},
        {"Thur, 05 Jun 2025 08:15:30 +0000", sys_days{2025y / June / 5} + 8h + 15min + 30s},
        {"Wednesday, 17 Sept 2025 00:00:00 Z", sys_days{2025y / September / 17}},
        {"Weds, 17 September 2025 00:00:00 Z", sys_days{2025y / September / 17}},
        {"Saturday, 1 March 2025 23:59:59 -0800", sys_days{2025y / March / 2} + 7h + 59min + 59s},
    };
    for (const auto& [text, instant] : cases) {
        EXPECT_EQ(parseFeedDate(text), instant) << text;
    }
}

TEST(FeedDate, OtherShapesAndLanguagesGiveNothing) {
    const char* const cases[] = {
        "2024-12-03",
        "2024-12-03T10:00:00Z",
        "Wed, 29 Feb 2023 00:00:00 +0000", // no such day
        "Tue, 31 Apr 2024 10:00:00 +0000",
        "Tue, 03 Dec 2024 24:00:00 +0000",
        "Tue, 03 Dec 2024 10:60:00 +0000",
        "Tue, 003 Dec 2024 10:00:00 +0000",
        "Tue, 03 Dec 24 10:00:00 +0000",
        "Tue, 03 Dec 2024 10:00 +0000",
        "Tue, 03 Dec 2024 10:00:00 +00:00",
        "Tue, 03 Dec 2024 10:00:00 +2400",
        "Tue, 03 Dec 2024 10:00:00",
        "Tue, 03 Dec 2024 10:00:00 +0000 (UTC)",
        "Tue, 03 Dec 2024 10:00:00 GMT+1",
        "Tue, 03 Dec 2024 10:00:00 CET", // not among the mail zone names
        "Tue, 03 Dec 2024 10:00:00 A",
        "Tue 03 Dec 2024 10:00:00 +0000", // day name without its comma
        ", 03 Dec 2024 10:00:00 +0000",
        "Tu, 03 Dec 2024 10:00:00 +0000",
        "Tuesd, 03 Dec 2024 10:00:00 +0000",
        "Tue, 03 Decem 2024 10:00:00 +0000",
        "Tue, 03 Dez 2024 10:00:00 +0000",
        "Di, 03 Dez 2024 10:00:00 +0100",
        "mar., 03 déc. 2024 10:00:00 +0100",
        " Tue, 03 Dec 2024 10:00:00 +0000",
        "",
    };
    for (const char* text : cases) {
        EXPECT_EQ(parseFeedDate(text), std::nullopt) << text;
    }
}
