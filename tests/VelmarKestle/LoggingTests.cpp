#include "Logging.hpp"

#include <string>

#include <gtest/gtest.h>

#include "helpers/LogCapture.hpp"

using kestle::app::LogEscaping;
using kestle::test::LogCapture;

namespace {

TEST(LogEscaping, ControlCharactersFromOutsideCannotBreakALine) {
    const struct {
        const char* fault;
        QString text;
        QString logged;
    } cases[] = {
        {"a newline would start a forged line", QStringLiteral("1.0\nnotes: installed 9.9"),
         QStringLiteral("1.0\\nnotes: installed 9.9")},
        {"a carriage return would overwrite the line", QStringLiteral("a\rb"),
         QStringLiteral("a\\rb")},
        {"a tab", QStringLiteral("a\tb"), QStringLiteral("a\\tb")},
        {"a terminal escape", QStringLiteral("\x1b[31mred"), QStringLiteral("\\x1b[31mred")},
        {"NUL and DEL", QString(QChar(0)) + QChar(0x7f), QStringLiteral("\\x00\\x7f")},
        {"a C1 next-line", QStringLiteral("a") + QChar(0x85) + QStringLiteral("b"),
         QStringLiteral("a\\u{0085}b")},
        {"the Unicode line separator", QString(QChar(0x2028)), QStringLiteral("\\u{2028}")},
        {"other text is kept as it is", QStringLiteral("Lumen 2.4 · Caffè \\n"),
         QStringLiteral("Lumen 2.4 · Caffè \\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(LogEscaping::escaped(c.text), c.logged);
    }
}

TEST(LogEscaping, EveryMessageReachesTheHandlerBeforeItEscaped) {
    LogCapture capture;
    {
        LogEscaping escaping;
        const std::string version = "1.0\nlumen: installed 9.9";
        qCInfo(lcCheck, "%s: installed %s", "lumen", version.c_str());
    }
    EXPECT_TRUE(LogCapture::contains("lumen: installed 1.0\\nlumen: installed 9.9"));
    EXPECT_FALSE(LogCapture::contains("installed 1.0\n"));

    qCInfo(lcCheck, "after\nescaping");
    EXPECT_TRUE(LogCapture::contains("after\nescaping")) << "the previous handler is back";
}

} // namespace
