#include "support/Base64.hpp"

#include <array>

#include <sodium.h>

namespace kestle {
namespace {

constexpr uint8_t kInvalid = 0xFF;

constexpr std::array<uint8_t, 256> makeDecodeTable() {
    std::array<uint8_t, 256> table{};
    table.fill(kInvalid);
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (uint8_t i = 0; i < 64; ++i) {
        table[static_cast<uint8_t>(alphabet[i])] = i;
    }
    return table;
}

constexpr auto kDecode = makeDecodeTable();

} // namespace

// Written out rather than taken from libsodium: its decoder is constant-time,
// which public catalogs and signatures do not need, and several times slower on
// the large base64 text of a catalog envelope.
std::optional<std::vector<uint8_t>> Base64::decode(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    size_t padding = 0;
    if (!text.empty() && text.back() == '=') {
        padding = text[text.size() - 2] == '=' ? 2 : 1;
    }
    std::vector<uint8_t> out(text.size() / 4 * 3 - padding);
    const auto* in = reinterpret_cast<const uint8_t*>(text.data());
    size_t fullQuads = (text.size() / 4) - (padding ? 1 : 0);
    uint8_t* o = out.data();
    for (size_t q = 0; q < fullQuads; ++q, in += 4) {
        uint32_t a = kDecode[in[0]], b = kDecode[in[1]], c = kDecode[in[2]], d = kDecode[in[3]];
        if ((a | b | c | d) & 0xC0) {
            return std::nullopt;
        }
        uint32_t v = (a << 18) | (b << 12) | (c << 6) | d;
        *o++ = static_cast<uint8_t>(v >> 16);
        *o++ = static_cast<uint8_t>(v >> 8);
        *o++ = static_cast<uint8_t>(v);
    }
    if (padding) {
        uint32_t a = kDecode[in[0]], b = kDecode[in[1]];
        uint32_t c = padding == 1 ? kDecode[in[2]] : 0;
        if ((a | b | c) & 0xC0) {
            return std::nullopt;
        }
        uint32_t v = (a << 18) | (b << 12) | (c << 6);
        // Bits below the last whole byte must be zero: one encoding per value.
        if ((padding == 2 && (v & 0xFFFF)) || (padding == 1 && (v & 0xFF))) {
            return std::nullopt;
        }
        *o++ = static_cast<uint8_t>(v >> 16);
        if (padding == 1) {
            *o++ = static_cast<uint8_t>(v >> 8);
        }
    }
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
