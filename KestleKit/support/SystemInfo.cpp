#include "support/SystemInfo.hpp"

#include <cctype>

#include <sys/utsname.h>

namespace kestle {

std::string SystemInfo::version() {
    utsname names{};
    if (::uname(&names) != 0) {
        return "0.0.0";
    }
    // "6.1.0-18-amd64": the leading dotted numbers, at most three.
    std::string_view release = names.release;
    std::string parts[3] = {"0", "0", "0"};
    size_t part = 0;
    std::string digits;
    for (char c : release) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else {
            if (!digits.empty()) {
                parts[part++] = digits;
                digits.clear();
            }
            if (c != '.' || part == 3) {
                break;
            }
        }
    }
    if (!digits.empty() && part < 3) {
        parts[part] = digits;
    }
    return parts[0] + "." + parts[1] + "." + parts[2];
}

std::string_view SystemInfo::architecture() {
#if defined(__aarch64__)
    return "arm64";
#elif defined(__x86_64__)
    return "x86_64";
#elif defined(__i386__)
    return "i386";
#else
    return "unknown";
#endif
}

} // namespace kestle
