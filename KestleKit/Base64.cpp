#include "Base64.hpp"

#include <sodium.h>

namespace kestle {

std::optional<std::vector<uint8_t>> Base64::decode(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> out(text.size() / 4 * 3);
    size_t length = 0;
    // No ignore set and no end pointer: any character outside the alphabet fails.
    if (sodium_base642bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length,
                          nullptr, sodium_base64_VARIANT_ORIGINAL) != 0) {
        return std::nullopt;
    }
    out.resize(length);
    return out;
}

std::string Base64::encode(std::span<const uint8_t> bytes) {
    std::string out(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(out.data(), out.size(), bytes.data(), bytes.size(),
                      sodium_base64_VARIANT_ORIGINAL);
    out.resize(out.size() - 1); // the terminating NUL
    return out;
}

std::string Base64::encode(std::string_view bytes) {
    return encode(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

} // namespace kestle
