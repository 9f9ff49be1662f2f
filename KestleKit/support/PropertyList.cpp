#include "support/PropertyList.hpp"

#include <cstring>

#include <array>
#include <cstdint>
#include <utility>

namespace kestle {
namespace {

// libplist 2.2 parses binary containers and frees every tree recursively, so
// nesting must stay far from what a thread's stack holds. Every container opened
// counts; binary nesting, which costs about 90 bytes of stack a level, is also
// limited on its own.
constexpr size_t kMaxContainers = 4096;
constexpr size_t kMaxBinaryDepth = 512;
// libplist 2.2 builds a fresh node for every reference in a binary plist, so a
// small file that references one object many times expands in memory.
constexpr size_t kMaxBinaryNodes = size_t(1) << 17;
constexpr uint64_t kMaxBinaryPayloadBytes = uint64_t(4) << 20;

uint64_t bigEndian(std::string_view data, size_t pos, size_t width) {
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) {
        value = (value << 8) | static_cast<uint8_t>(data[pos + i]);
    }
    return value;
}

// Walks the object graph of a binary plist without recursion, before libplist sees
// it. Refuses a container reached twice (shared or cyclic: libplist would copy it
// for every reference), too many or too deeply nested containers, too many nodes or
// too many string and data bytes once every reference is expanded.
bool binaryPlistIsBounded(std::string_view data) {
    constexpr size_t headerSize = 8;
    constexpr size_t trailerSize = 32;
    if (data.size() < headerSize + trailerSize) {
        return false;
    }
    const size_t trailer = data.size() - trailerSize;
    const size_t offsetWidth = static_cast<uint8_t>(data[trailer + 6]);
    const size_t refWidth = static_cast<uint8_t>(data[trailer + 7]);
    const uint64_t objectCount = bigEndian(data, trailer + 8, 8);
    const uint64_t root = bigEndian(data, trailer + 16, 8);
    const uint64_t table = bigEndian(data, trailer + 24, 8);
    if (offsetWidth < 1 || offsetWidth > 8 || refWidth < 1 || refWidth > 8 || table < headerSize ||
        table > trailer || objectCount > (trailer - table) / offsetWidth || root >= objectCount) {
        return false;
    }
    const size_t end = static_cast<size_t>(table); // objects lie before the offset table

    // An object's element or byte count, and where its contents start.
    auto countAt = [&](size_t pos) -> std::optional<std::pair<uint64_t, size_t>> {
        uint64_t count = static_cast<uint8_t>(data[pos]) & 0x0F;
        ++pos;
        if (count != 0x0F) {
            return std::pair{count, pos};
        }
        if (pos >= end) {
            return std::nullopt;
        }
        auto marker = static_cast<uint8_t>(data[pos]);
        size_t width = size_t(1) << (marker & 0x0F);
        if ((marker >> 4) != 0x1 || width > 8 || end - pos - 1 < width) {
            return std::nullopt;
        }
        return std::pair{bigEndian(data, pos + 1, width), pos + 1 + width};
    };

    std::vector<bool> visited(static_cast<size_t>(objectCount));
    std::vector<std::pair<uint64_t, size_t>> pending{{root, 1}}; // index, depth
    size_t nodes = 1;
    size_t containers = 0;
    uint64_t payload = 0;
    while (!pending.empty()) {
        auto [index, depth] = pending.back();
        pending.pop_back();
        uint64_t offset = bigEndian(data, table + index * offsetWidth, offsetWidth);
        if (offset < headerSize || offset >= end) {
            return false;
        }
        auto type = static_cast<uint8_t>(data[offset]) >> 4;
        bool isText = type == 0x4 || type == 0x5 || type == 0x6; // data, ASCII, UTF-16
        bool isContainer = type == 0xA || type == 0xB || type == 0xC || type == 0xD;
        if (!isText && !isContainer) {
            continue; // fixed-size scalars
        }
        auto counted = countAt(static_cast<size_t>(offset));
        if (!counted) {
            return false;
        }
        auto [count, start] = *counted;
        size_t available = end - start;
        if (isText) {
            // A UTF-16 unit is two bytes on disk and up to three once converted.
            size_t unit = type == 0x6 ? 2 : 1;
            if (count > available / unit) {
                return false;
            }
            payload += count * (type == 0x6 ? 3 : 1);
            if (payload > kMaxBinaryPayloadBytes) {
                return false;
            }
            continue;
        }
        if (visited[index] || ++containers > kMaxContainers || depth > kMaxBinaryDepth) {
            return false;
        }
        visited[index] = true;
        size_t perElement = type == 0xD ? 2 : 1; // a dictionary lists keys, then values
        if (count > available / refWidth / perElement) {
            return false;
        }
        uint64_t refs = count * perElement;
        if (refs > kMaxBinaryNodes - nodes) {
            return false;
        }
        nodes += refs;
        for (uint64_t i = 0; i < refs; ++i) {
            uint64_t ref = bigEndian(data, start + i * refWidth, refWidth);
            if (ref >= objectCount) {
                return false;
            }
            pending.emplace_back(ref, depth + 1);
        }
    }
    return true;
}

// Counts every container tag opened anywhere, comments included, so that no
// arrangement of closing tags can hide nesting.
bool xmlPlistIsBounded(std::string_view data) {
    size_t containers = 0;
    for (size_t pos = data.find('<'); pos != std::string_view::npos;
         pos = data.find('<', pos + 1)) {
        auto rest = data.substr(pos + 1);
        if ((rest.starts_with("array") || rest.starts_with("dict")) &&
            ++containers > kMaxContainers) {
            return false;
        }
    }
    return true;
}

// The value under key when dictionary is a dictionary that holds one.
plist_t item(plist_t dictionary, std::string_view key) {
    // libplist looks keys up as C strings: one with a NUL would match a shorter key.
    if (dictionary == nullptr || plist_get_node_type(dictionary) != PLIST_DICT ||
        key.find('\0') != std::string_view::npos) {
        return nullptr;
    }
    // Bundle keys are short; a scan looks up several per bundle without allocating.
    std::array<char, 64> shortKey;
    if (key.size() < shortKey.size()) {
        key.copy(shortKey.data(), key.size());
        shortKey[key.size()] = '\0';
        return plist_dict_get_item(dictionary, shortKey.data());
    }
    return plist_dict_get_item(dictionary, std::string(key).c_str());
}

} // namespace

std::optional<PropertyList> PropertyList::parse(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > maxBytes) {
        return std::nullopt;
    }
    try {
        auto length = static_cast<uint32_t>(bytes.size());
        const bool binary = plist_is_binary(bytes.data(), length);
        // XML has no NUL character; libplist's reader would record text lengths that
        // run past the NUL it stops copying at, and later readers overrun.
        if (!binary && bytes.find('\0') != std::string_view::npos) {
            return std::nullopt;
        }
        bool bounded = binary ? binaryPlistIsBounded(bytes) : xmlPlistIsBounded(bytes);
        if (!bounded) {
            return std::nullopt;
        }
        plist_t root = nullptr;
        plist_from_memory(bytes.data(), length, &root);
        if (root == nullptr) {
            return std::nullopt;
        }
        return PropertyList(root);
    } catch (...) {
        return std::nullopt;
    }
}

bool PropertyList::isDictionary() const {
    return root() != nullptr && plist_get_node_type(root()) == PLIST_DICT;
}

std::optional<std::string> PropertyList::string(std::string_view key) const {
    return string(root(), key);
}

std::vector<std::string> PropertyList::strings(std::string_view key) const {
    std::vector<std::string> found;
    plist_t array = item(root(), key);
    if (array == nullptr || plist_get_node_type(array) != PLIST_ARRAY) {
        return found;
    }
    uint32_t size = plist_array_get_size(array);
    for (uint32_t i = 0; i < size; ++i) {
        plist_t element = plist_array_get_item(array, i);
        if (element == nullptr || plist_get_node_type(element) != PLIST_STRING) {
            continue;
        }
        uint64_t length = 0;
        if (const char* text = plist_get_string_ptr(element, &length)) {
            found.emplace_back(text, static_cast<size_t>(length));
        }
    }
    return found;
}

std::vector<plist_t> PropertyList::dictionaries(std::string_view key) const {
    std::vector<plist_t> found;
    plist_t array = item(root(), key);
    if (array == nullptr || plist_get_node_type(array) != PLIST_ARRAY) {
        return found;
    }
    uint32_t size = plist_array_get_size(array);
    for (uint32_t i = 0; i < size; ++i) {
        plist_t element = plist_array_get_item(array, i);
        if (element != nullptr && plist_get_node_type(element) == PLIST_DICT) {
            found.push_back(element);
        }
    }
    return found;
}

std::optional<std::string> PropertyList::string(plist_t dictionary, std::string_view key) {
    plist_t node = item(dictionary, key);
    if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) {
        return std::nullopt;
    }
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string(text, static_cast<size_t>(length));
}

} // namespace kestle
