#include "feeds/Version.hpp"

#include <string>

#include <gtest/gtest.h>

using kestle::ComparisonResult;
using kestle::Version;

namespace {

constexpr auto asc = ComparisonResult::ascending;
constexpr auto same = ComparisonResult::same;
constexpr auto desc = ComparisonResult::descending;

struct Case {
    const char* fault;
    std::string a;
    std::string b;
    ComparisonResult expected;
};

TEST(Version, OrdersVersionTexts) {
    const Case cases[] = {
        {"parts compared as text instead of numbers", "2", "10", asc},
        {"parts compared as text instead of numbers", "10", "9", desc},
        {"1.10 must beat 1.9", "1.10", "1.9", desc},
        {"missing parts are not zero", "1.0", "1", same},
        {"missing parts are not zero", "1", "1.0.0", same},
        {"leading zeros counted", "1.01", "1.1", same},
        {"spaces not trimmed", " 2.1", "2.1 ", same},
        {"tab and no-break space not trimmed", "\t2.1\u00a0", "2.1", same},
        {"line break trimmed like a space", "2.1\n", "2.1", desc},
        {"empty texts differ", "", "", same},
        {"empty part treated as a number", "", "0", asc},
        {"empty middle part treated as a number", "1..2", "1.0.2", asc},
        {"sign not read", "+5", "5", same},
        {"negative numbers", "-1", "0", asc},
        {"pre-release digits compared as text", "1.0b2", "1.0b10", asc},
        {"pre-release suffix ignored", "1.0b2", "1.0", desc},
        {"case folded", "1.0a", "1.0A", desc},
        {"twenty-digit part not numeric", "1.99999999999999999999", "1.100000000000000000000", asc},
        {"twenty-digit part not numeric", "1.18446744073709551617", "1.18446744073709551616", desc},
        {"64-bit limit mishandled", "9223372036854775807", "9223372036854775808", asc},
        {"64-bit minimum mishandled", "-9223372036854775808", "-9223372036854775807", asc},
        {"trailing dot part", "1.", "1", asc},
        {"numeric run inside text with leading zeros", "b007", "b7", same},
        {"digits before letters", "1.0a", "1.0.1", desc},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Version::compare(c.a, c.b), c.expected)
            << c.fault << ": compare(\"" << c.a << "\", \"" << c.b << "\")";
        // The comparison must be antisymmetric.
        auto reversed = static_cast<ComparisonResult>(-static_cast<int>(c.expected));
        EXPECT_EQ(Version::compare(c.b, c.a), reversed)
            << c.fault << ": compare(\"" << c.b << "\", \"" << c.a << "\")";
    }
}

TEST(Version, IsNewerOnlyWhenStrictlyGreater) {
    EXPECT_FALSE(Version::isNewer("1.2", "1.2"));
    EXPECT_TRUE(Version::isNewer("1.2.1", "1.2"));
    EXPECT_FALSE(Version::isNewer("1.2", "1.2.1"));
}

} // namespace
