// Version texts from outside (feeds, Info.plist files): the comparison must never
// crash and must stay a consistent ordering.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "feeds/Version.hpp"

using kestle::ComparisonResult;
using kestle::Version;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto split = input.find('\0');
    if (split == std::string_view::npos) {
        split = size / 2;
    }
    std::string_view a = input.substr(0, split);
    std::string_view b = input.substr(std::min(split + 1, size));

    auto forward = Version::compare(a, b);
    auto backward = Version::compare(b, a);
    if (static_cast<int>(forward) != -static_cast<int>(backward)) {
        abort();
    }
    if (Version::compare(a, a) != ComparisonResult::same) {
        abort();
    }
    return 0;
}
