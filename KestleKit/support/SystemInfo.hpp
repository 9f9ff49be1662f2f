#pragma once

#include <string>
#include <string_view>

namespace kestle {

// The running system as feeds describe requirements.
struct SystemInfo {
    // The kernel release as major.minor.patch ("6.1.0"), missing parts as 0.
    static std::string version();
    // The processor the program was built for, in the feeds' words ("x86_64", "arm64").
    static std::string_view architecture();
};

} // namespace kestle
