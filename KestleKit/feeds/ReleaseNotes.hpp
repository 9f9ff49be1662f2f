#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestle {

// Release notes as a list of bullet items for display.
struct ReleaseNotes {
    // Lines starting with "- " or "* " open an item; other lines continue the last
    // one (text before the first mark is an item of its own).
    static std::vector<std::string> items(std::string_view notes);
};

} // namespace kestle
