#include "support/HttpHeader.hpp"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace kestle {
namespace {

TEST(HttpHeader, NamesMatchInAnyCaseAndValuesLoseTheirPadding) {
    auto header = HttpHeader::parse("content-RANGE:  bytes 5-9/10 \r\n");
    ASSERT_TRUE(header);
    EXPECT_TRUE(header->is("Content-Range"));
    EXPECT_FALSE(header->is("Content-Length"));
    EXPECT_EQ(header->value, "bytes 5-9/10");
    EXPECT_FALSE(HttpHeader::parse("HTTP/1.1 206 Partial Content\r\n"));
    EXPECT_FALSE(HttpHeader::parse("\r\n"));
    EXPECT_FALSE(HttpHeader::parse("Bad Name: x\r\n")) << "a folded or broken line taken";
}

TEST(ContentRange, OnlyAWellFormedSatisfiedRangeIsAccepted) {
    struct Case {
        const char* fault;
        const char* value;
        std::optional<ContentRange> expected;
    };
    const Case cases[] = {
        {"a plain range refused", "bytes 100-199/200", ContentRange{100, 199, 200}},
        {"an unknown total refused", "bytes 0-9/*", ContentRange{0, 9, std::nullopt}},
        {"the unit's case mattered", "Bytes 1-1/2", ContentRange{1, 1, 2}},
        {"a range ending before its start", "bytes 9-5/10", std::nullopt},
        {"a range beyond its total", "bytes 0-10/10", std::nullopt},
        {"an unsatisfied range", "bytes */10", std::nullopt},
        {"another unit", "items 0-1/2", std::nullopt},
        {"a negative start", "bytes -5-9/10", std::nullopt},
        {"an explicit sign", "bytes +5-9/10", std::nullopt},
        {"an overflowing number", "bytes 0-99999999999999999999/*", std::nullopt},
        {"trailing garbage", "bytes 0-9/10x", std::nullopt},
        {"nothing", "", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ContentRange::parse(c.value), c.expected) << c.fault << ": " << c.value;
    }
}

} // namespace
} // namespace kestle
