#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestle {

// Standard base64 (RFC 4648 alphabet) with '=' padding required and nothing else
// allowed: no line breaks, no spaces.
struct Base64 {
    static std::optional<std::vector<uint8_t>> decode(std::string_view text);
    static std::string encode(std::span<const uint8_t> bytes);
    static std::string encode(std::string_view bytes);
};

} // namespace kestle
