#include "support/SystemInfo.hpp"

#include <regex>
#include <string>

#include <sys/utsname.h>

#include <gtest/gtest.h>

TEST(SystemInfo, VersionIsTheKernelReleaseInThreeNumbers) {
    const std::string version = kestle::SystemInfo::version();
    EXPECT_TRUE(std::regex_match(version, std::regex(R"(\d+\.\d+\.\d+)"))) << version;
    utsname names{};
    ASSERT_EQ(::uname(&names), 0);
    const std::string release = names.release;
    EXPECT_EQ(version.substr(0, version.find('.')), release.substr(0, release.find('.')));
    EXPECT_TRUE(kestle::SystemInfo::architecture() == "x86_64" ||
                kestle::SystemInfo::architecture() == "arm64");
}
