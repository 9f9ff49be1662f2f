#include "feeds/ReleaseNotes.hpp"

#include <gtest/gtest.h>

using namespace kestle;

TEST(ReleaseNotes, BulletItems) {
    struct Case {
        const char* name;
        std::string notes;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"heading, bullets, continuation and blank line",
         "What's new\n- One\n   continued\n* Two\n\n- Three",
         {"What's new", "One continued", "Two", "Three"}},
        {"mark without a space is text", "-Word", {"-Word"}},
        {"mark followed by a tab is text", "-\tWord", {"-\tWord"}},
        {"bullet character is not a mark", "• One\n• Two", {"• One • Two"}},
        {"indented mark still opens an item", "  - One\n\t* Two  ", {"One", "Two"}},
        {"space after the mark is trimmed", "-    One", {"One"}},
        {"every line break", "- A\vB\fC\rD\r\nE\u0085F\u2028G\u2029H", {"A B C D E F G H"}},
        {"CR LF makes no empty line between items", "- A\r\n- B\r\n", {"A", "B"}},
        {"line of spaces only is skipped", "- A\n \t \n  more", {"A more"}},
        {"no-break space is white space, not a break", "- A\u00a0\n- B", {"A", "B"}},
        {"empty text", "", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReleaseNotes::items(c.notes), c.items) << c.name;
    }
}
