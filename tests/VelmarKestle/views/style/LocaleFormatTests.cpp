#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "views/style/LocaleFormat.hpp"

using kestle::app::LocaleFormat;
using kestle::test::EnglishLocale;

TEST(LocaleFormat, SizesAndPercentagesFollowThePlatformStyle) {
    EnglishLocale english;
    struct Size {
        const char* fault;
        uint64_t bytes;
        const char* text;
    };
    const Size sizes[] = {
        {"zero is spelled out", 0, "Zero KB"},
        {"one byte is singular", 1, "1 byte"},
        {"bytes below a kilobyte", 999, "999 bytes"},
        {"units are decimal", 1000, "1 KB"},
        {"kilobytes have no fraction", 1499, "1 KB"},
        {"rounding up moves to the next unit", 999'600, "1 MB"},
        {"megabytes have one fraction digit", 1'250'000, "1.3 MB"},
        {"trailing zeros are dropped", 2'000'000'000, "2 GB"},
        {"gigabytes have two fraction digits", 1'234'567'890, "1.23 GB"},
        {"counts past the signed range are clamped", UINT64_MAX, "9.22 EB"},
    };
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.fault);
        EXPECT_EQ(LocaleFormat::byteCount(s.bytes), QString::fromUtf8(s.text));
    }
    struct Share {
        const char* fault;
        double fraction;
        const char* text;
    };
    const Share shares[] = {
        {"half", 0.5, "50%"},
        {"above 1 is clamped", 1.5, "100%"},
        {"below 0 is clamped", -0.1, "0%"},
        {"not a number is 0", std::nan(""), "0%"},
        {"no fraction digits", 0.333, "33%"},
    };
    for (const Share& s : shares) {
        SCOPED_TRACE(s.fault);
        EXPECT_EQ(LocaleFormat::percent(s.fraction), QString::fromUtf8(s.text));
    }
}
