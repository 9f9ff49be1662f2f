#include "install/Command.hpp"

#include <cerrno>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"

using kestle::Command;
using kestle::CommandError;
using kestle::CommandResult;
using kestle::test::TempFolder;

namespace {

TEST(Command, ReportsStatusAndBothOutputs) {
    struct Case {
        const char* fault;
        std::vector<std::string> args; // to /bin/sh
        CommandResult expected;
    };
    const std::vector<Case> cases{
        {"outputs swapped or status lost",
         {"-c", "printf out; printf err >&2; exit 3"},
         {3, "out", "err"}},
        {"arguments went through a shell",
         {"-c", "printf '%s|' \"$@\"", "sh", "$HOME", "a b", ";", ""},
         {0, "$HOME|a b|;||", ""}},
        {"standard input is not the null device", {"-c", "cat; echo $?"}, {0, "0\n", ""}},
        {"a killed tool reads as a success", {"-c", "kill -9 $$"}, {-9, "", ""}},
        {"binary output is cut at a NUL",
         {"-c", "printf 'a\\000b'"},
         {0, std::string("a\0b", 3), ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(Command::run("/bin/sh", c.args), c.expected);
    }
}

// Each order would deadlock a runner that reads one pipe to its end before the other.
TEST(Command, DrainsBothPipesAtOnce) {
    const std::string mebibyte = "head -c 1048576 /dev/zero";
    for (const auto& script :
         {mebibyte + " >&2; " + mebibyte, mebibyte + "; " + mebibyte + " >&2"}) {
        SCOPED_TRACE(script);
        auto result = Command::run("/bin/sh", {"-c", script});
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 0);
        EXPECT_EQ(result->output, std::string(1 << 20, '\0'));
        EXPECT_EQ(result->errorOutput, std::string(1 << 20, '\0'));
    }
}

TEST(Command, LaunchFailureIsAnErrorNotAStatus) {
    TempFolder temp;
    TempFolder::writeText(temp / "not-executable", "#!/bin/sh\nexit 0\n");
    struct Case {
        std::string path;
        int code;
    };
    const std::vector<Case> cases{
        {(temp / "missing").string(), ENOENT},
        {(temp / "not-executable").string(), EACCES},
        {temp.path().string(), EACCES},
        {std::string("/bin/sh\0x", 9), EINVAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Command::run(c.path, {}), std::unexpected(CommandError{c.code, c.path}));
    }
}

// A descriptor the tool inherits by accident can keep a pipe of another run open.
TEST(Command, ToolInheritsOnlyTheStandardDescriptors) {
    int leaky = ::open("/dev/null", O_RDONLY); // no close-on-exec, on purpose
    ASSERT_GE(leaky, 0);
    auto result = Command::run("/bin/sh", {"-c", "ls /proc/$$/fd"});
    ::close(leaky);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->output, "0\n1\n2\n");
}

} // namespace
