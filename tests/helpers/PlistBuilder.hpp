#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <plist/plist.h>

namespace kestle::test {

enum class PlistFormat { xml, binary };

// root written out by libplist, then freed.
inline std::string serialized(plist_t root, PlistFormat format) {
    char* bytes = nullptr;
    uint32_t length = 0;
    format == PlistFormat::xml ? plist_to_xml(root, &bytes, &length)
                               : plist_to_bin(root, &bytes, &length);
    std::string out(bytes, length);
    std::free(bytes);
    plist_free(root);
    return out;
}

// Hand-made binary plists, for shapes no writer produces: each object is a marker
// with its count, then references or bytes. References and offsets are three bytes
// wide.
namespace bplist {

inline std::string bigEndian(uint64_t value, int width) {
    std::string out;
    for (int i = width - 1; i >= 0; --i) {
        out += static_cast<char>(value >> (8 * i));
    }
    return out;
}

inline std::string marker(int type, size_t count) {
    if (count < 15) {
        return std::string(1, static_cast<char>(type << 4 | count));
    }
    return std::string(1, static_cast<char>(type << 4 | 15)) + '\x13' + bigEndian(count, 8);
}

inline std::string ascii(const std::string& text) {
    return marker(0x5, text.size()) + text;
}

// An array, or with type 0xD a dictionary: its keys' references, then its values'.
inline std::string container(const std::vector<uint64_t>& refs, int type = 0xA) {
    std::string out = marker(type, type == 0xD ? refs.size() / 2 : refs.size());
    for (auto ref : refs) {
        out += bigEndian(ref, 3);
    }
    return out;
}

// The whole file, rooted at the first object.
inline std::string file(const std::vector<std::string>& objects) {
    std::string out = "bplist00", table;
    for (const auto& object : objects) {
        table += bigEndian(out.size(), 3);
        out += object;
    }
    return out + table + std::string(6, '\0') + "\3\3" + bigEndian(objects.size(), 8) +
           bigEndian(0, 8) + bigEndian(out.size(), 8);
}

} // namespace bplist
} // namespace kestle::test
