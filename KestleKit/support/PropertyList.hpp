#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <plist/plist.h>

namespace kestle {

// A property list, XML or binary, read from bytes the product does not control
// (bundles' Info.plist, the disk-image tool's output, stored preferences). Move-only
// owner of the parsed tree.
class PropertyList {
public:
    // A property list from outside is a few KiB; anything near this is hostile or
    // broken, and is refused unread.
    static constexpr size_t maxBytes = size_t(1) << 20;

    // The parsed list, or nothing when bytes are not a well-formed property list, are
    // larger than maxBytes, or would nest, share or expand enough to exhaust the stack
    // or memory of whoever reads them.
    static std::optional<PropertyList> parse(std::string_view bytes);

    bool isDictionary() const;

    // The text under key in the root dictionary; nothing when the root is not a
    // dictionary, or key is absent or holds another type.
    std::optional<std::string> string(std::string_view key) const;

    // The texts of the array under key in the root dictionary, in order, other elements
    // left out; empty when there is no such array.
    std::vector<std::string> strings(std::string_view key) const;

    // The dictionaries of the array under key in the root dictionary, in order, other
    // elements left out; empty when there is no such array. The nodes belong to this
    // list.
    std::vector<plist_t> dictionaries(std::string_view key) const;

    // The text under key in dictionary, a node of some list; nothing when dictionary
    // is not a dictionary, or key is absent or holds another type.
    static std::optional<std::string> string(plist_t dictionary, std::string_view key);

    // For callers that walk further; owned by this list.
    plist_t root() const { return root_.get(); }

private:
    struct Free {
        void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
    };

    explicit PropertyList(plist_t root) : root_(root) {}

    std::unique_ptr<void, Free> root_;
};

} // namespace kestle
