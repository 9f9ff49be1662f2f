// Property lists come from bundles anyone can drop into a folder, from the
// disk-image tool and from stored preferences: reading one, and then its keys, must
// never crash, hang or run out of memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

#include "support/PropertyList.hpp"

using kestle::PropertyList;

namespace {

// libplist is the system's build, not instrumented: the input is placed right
// before an unmapped page so that reading past its end faults at once.
std::string_view beforeGuardPage(const uint8_t* data, size_t size) {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    static const size_t usable = (PropertyList::maxBytes + 1 + page - 1) / page * page;
    static char* region = [] {
        void* mapped = mmap(nullptr, usable + page, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED ||
            mprotect(static_cast<char*>(mapped) + usable, page, PROT_NONE)) {
            abort();
        }
        return static_cast<char*>(mapped);
    }();
    size = size < usable ? size : usable;
    char* start = region + usable - size;
    if (size > 0) {
        std::memcpy(start, data, size);
    }
    return {start, size};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto list = PropertyList::parse(beforeGuardPage(data, size));
    if (!list) {
        return 0;
    }
    if (list->root() == nullptr) {
        abort();
    }
    for (const char* key : {"CFBundleIdentifier", "CFBundleVersion", "CFBundleShortVersionString",
                            "SUFeedURL", "SUPublicEDKey"}) {
        if (list->string(key) && !list->isDictionary()) {
            abort();
        }
    }
    for (plist_t entity : list->dictionaries("system-entities")) {
        if (plist_get_node_type(entity) != PLIST_DICT) {
            abort();
        }
        PropertyList::string(entity, "dev-entry");
        PropertyList::string(entity, "mount-point");
    }
    return 0;
}
