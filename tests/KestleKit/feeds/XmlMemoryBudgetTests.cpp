#include "feeds/XmlMemoryBudget.hpp"

#include <memory>
#include <string>

#include <gtest/gtest.h>

using namespace kestle;

namespace {

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

// Parses in small pieces so expat's buffer is grown (reallocated) several times.
XML_Error parse(const std::string& document) {
    std::unique_ptr<XML_ParserStruct, ParserFree> parser(
        XML_ParserCreate_MM(nullptr, XmlMemoryBudget::hooks(), nullptr));
    if (!parser) {
        return XML_ERROR_NO_MEMORY;
    }
    for (size_t offset = 0; offset < document.size(); offset += 4096) {
        std::string piece = document.substr(offset, 4096);
        bool last = offset + piece.size() == document.size();
        if (XML_Parse(parser.get(), piece.data(), static_cast<int>(piece.size()), last) !=
            XML_STATUS_OK) {
            return XML_GetErrorCode(parser.get());
        }
    }
    return XML_ERROR_NONE;
}

} // namespace

TEST(XmlMemoryBudget, RefusesPastItsLimitAndGetsEverythingBack) {
    // One long start tag and many distinct names make expat grow its buffer and tables.
    std::string document = "<root a=\"" + std::string(200'000, 'v') + "\">";
    for (int i = 0; i < 5'000; ++i) {
        document += "<e" + std::to_string(i) + "/>";
    }
    document += "</root>";

    XmlMemoryBudget roomy(16 << 20);
    EXPECT_EQ(parse(document), XML_ERROR_NONE);
    EXPECT_GT(roomy.peak(), 200'000u);
    EXPECT_EQ(roomy.used(), 0u);

    {
        XmlMemoryBudget tight(roomy.peak() / 2);
        EXPECT_EQ(parse(document), XML_ERROR_NO_MEMORY);
        EXPECT_LE(tight.peak(), roomy.peak() / 2);
        EXPECT_EQ(tight.used(), 0u);
    }
    // The inner budget ended, so the outer one is in force again.
    EXPECT_EQ(parse("<a/>"), XML_ERROR_NONE);
    EXPECT_EQ(roomy.used(), 0u);
}
